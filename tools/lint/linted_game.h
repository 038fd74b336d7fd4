#pragma once
// One game under lint: its tree loaded without running anything or touching
// its directory, the game directory and resource archive it names, an
// interpreter that knows every host function, and the problems found so far.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/game_paths.h"
#include "elements/qel_db.h"
#include "elements/runtime.h"
#include "lint.h"
#include "render/res_db.h"
#include "script/game_env.h"
#include "script/scriptcalc.h"
#include "script_facts.h"

namespace qel {

class LintedGame {
 public:
  explicit LintedGame(const std::filesystem::path& gameFile);

  // False when the game file could not be read (reported already).
  bool Loaded() const { return loaded_; }
  void Report(const TQelElement& element, const std::string& message);
  void Warn(const TQelElement& element, const std::string& message);
  std::vector<LintProblem> TakeProblems() { return std::move(problems_); }

  // Every element of the tree, root first, depth first.
  std::vector<TQelElement*> Elements();
  // What the element's event scripts do, prepared once.
  const std::vector<ScriptFacts>& FactsOf(TQelElement& element);

  // Whether the name is a file of the game or a record of its archive.
  bool FileExists(const ByteString& name);
  bool ArchiveHas(const ByteString& name);
  // The files the last lookup found only by ignoring letter case.
  std::vector<CaseOnlyFile> TakeCaseOnlyFiles() { return std::move(caseOnly_); }
  // Warns of each file the last lookup found only by ignoring letter case.
  void WarnCaseOnlyFiles(const TQelElement& element, const std::string& where);
  void WarnCaseOnly(const TQelElement& element, const std::string& where, const CaseOnlyFile& file);

  Runtime runtime;
  GameDir dir;
  TResDb archive;
  TQelDB root;
  GameEnv env;
  TScriptCalc calc;

 private:
  bool loaded_ = false;
  std::vector<LintProblem> problems_;
  std::vector<CaseOnlyFile> caseOnly_;
  std::vector<std::pair<TQelElement*, std::vector<ScriptFacts>>> facts_;
};

// "QELDB" for the root, else "QELDB.Screen.Element".
std::string LintPath(const TQelElement& element);

// The element a dotted path in one of `start`'s scripts names, followed as the
// interpreter follows it; nullptr when it names none, or one known only while
// the game runs.
TQelElement* ElementAtPath(LintedGame& game, TQelElement& start, const ByteString& path, const ScriptFacts& script);

// The families of checks; each reports through the game.
void LintScripts(LintedGame& game);
void LintFiles(LintedGame& game);
void LintScreens(LintedGame& game);
void LintElementPaths(LintedGame& game);
void LintImageLists(LintedGame& game);

}  // namespace qel
