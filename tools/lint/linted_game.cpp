#include "linted_game.h"

#include <algorithm>
#include <system_error>

#include "gamedb/atomic_file.h"
#include "elements/game_file.h"
#include "gamedb/picture_source.h"
#include "hostapi/host_table.h"
#include "script/program.h"

namespace qel {
namespace {

std::filesystem::path GameDirOf(const std::filesystem::path& gameFile) {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::absolute(gameFile, ec).parent_path();
  return dir.empty() ? std::filesystem::current_path(ec) : dir;
}

}  // namespace

std::string LintPath(const TQelElement& element) {
  if (!element.Parent()) return "QELDB";
  ByteString own = element.Id().empty() ? "<" + element.ClassName() + " #" + std::to_string(element.Key) + ">"
                                      : element.Id();
  return LintPath(*element.Parent()) + "." + Cp1251ToUtf8(own);
}

LintedGame::LintedGame(const std::filesystem::path& gameFile)
    : dir(GameDirOf(gameFile)), root(&runtime), env(runtime, root) {
  // The tree is read with no directory attached, so that nothing of the
  // game's (settings, saved state, error log) is created or changed; the
  // named files are looked up afterwards.
  auto data = ReadWholeFile(gameFile);
  if (!data) {
    Report(root, "cannot read the game file " + gameFile.string());
    return;
  }
  loaded_ = true;
  if (!LoadGameData(root, *data))
    for (const LoadProblem& p : runtime.loadProblems)
      Report(root, "damaged game file at offset " + std::to_string(p.offset) + " (" + Cp1251ToUtf8(p.path) +
                       "): " + Cp1251ToUtf8(p.message));
  runtime.services.dir = &dir;
  runtime.services.archive = &archive;
  // Re-applied with the directory attached: these only read.
  ByteString fonts = root.FileFonts, sounds = root.SoundFile;
  root.FileFonts.clear();
  root.SetFileFonts(fonts);
  root.SoundFile.clear();
  root.SetSoundFile(sounds);
  root.Texts().OpenLang(&dir, root.Lang);
  calc.SetEnv(&env);
  RegisterHostFunctions(calc);
  RegisterGameFunctions(calc);
  // The player finds a name whatever its letter case; a copy of the folder on a
  // case-sensitive system does not.
  dir.onCaseOnlyMatch = [this](std::string_view asked, const std::filesystem::path& found) {
    caseOnly_.push_back({ByteString(asked), found.lexically_relative(dir.Root()).generic_string()});
  };
}

void LintedGame::Report(const TQelElement& element, const std::string& message) {
  problems_.push_back({LintPath(element), message, false});
}

void LintedGame::Warn(const TQelElement& element, const std::string& message) {
  problems_.push_back({LintPath(element), message, true});
}

void LintedGame::WarnCaseOnly(const TQelElement& element, const std::string& where, const CaseOnlyFile& file) {
  Warn(element, where + ": \"" + Cp1251ToUtf8(file.asked) + "\" is found only by ignoring letter case: on disk it is \"" +
                    file.onDisk + "\"");
}

void LintedGame::WarnCaseOnlyFiles(const TQelElement& element, const std::string& where) {
  for (const CaseOnlyFile& file : TakeCaseOnlyFiles()) WarnCaseOnly(element, where, file);
}

std::vector<TQelElement*> LintedGame::Elements() {
  std::vector<TQelElement*> out{&root};
  for (size_t i = 0; i < out.size(); ++i) {
    std::vector<TQelElement*> kids;
    for (const auto& child : out[i]->Children()) kids.push_back(child.get());
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(i) + 1, kids.begin(), kids.end());
  }
  return out;
}

const std::vector<ScriptFacts>& LintedGame::FactsOf(TQelElement& element) {
  for (const auto& [e, facts] : facts_)
    if (e == &element) return facts;
  std::vector<ScriptFacts> all;
  runtime.script.CurrentElement = element.Handle();
  for (const PropertyInfo& p : element.Class().properties) {
    if (!p.IsString() || p.name.size() < 3 || p.name.compare(0, 2, "ex") != 0) continue;
    ByteString source = p.getString(element);
    if (source.find_first_not_of(" \t\r\n") == ByteString::npos) continue;
    ScriptFacts facts;
    facts.event = p.name;
    caseOnly_.clear();
    ProgramRef program = calc.Prepare(source);
    facts.caseOnlyFiles = TakeCaseOnlyFiles();
    if (program) CollectFacts(*program, facts);
    // The declaration pass keeps the first error it met; the compiled form
    // usually holds the same one, with its text.
    const ByteString& prepError = calc.ErrorMessage();
    if (calc.ErrorCode() != 0 && std::none_of(facts.errors.begin(), facts.errors.end(), [&](const ByteString& e) {
          return e.compare(0, prepError.size(), prepError) == 0;
        }))
      facts.errors.insert(facts.errors.begin(), prepError);
    all.push_back(std::move(facts));
  }
  runtime.script.CurrentElement = 0;
  facts_.emplace_back(&element, std::move(all));
  return facts_.back().second;
}

bool LintedGame::FileExists(const ByteString& name) {
  caseOnly_.clear();
  auto path = dir.Find(name);
  std::error_code ec;
  return path && std::filesystem::is_regular_file(*path, ec);
}

bool LintedGame::ArchiveHas(const ByteString& name) {
  return archive.EnsureTable() && archive.IndexOf(ArchiveName(name)) >= 0;
}

std::string LintLine(const LintProblem& problem) {
  return problem.path + (problem.warning ? ": warning: " : ": ") + problem.message;
}

std::vector<LintProblem> LintGame(const std::filesystem::path& gameFile) {
  LintedGame game(gameFile);
  if (game.Loaded()) {
    LintScripts(game);
    LintFiles(game);
    LintScreens(game);
    LintElementPaths(game);
    LintImageLists(game);
  }
  std::vector<LintProblem> problems = game.TakeProblems();
  // Tree order: the checks run family by family, the output reads element by element.
  std::vector<std::string> order;
  for (TQelElement* e : game.Elements()) order.push_back(LintPath(*e));
  auto rank = [&](const std::string& path) {
    for (size_t i = 0; i < order.size(); ++i)
      if (order[i] == path) return i;
    return order.size();
  };
  std::stable_sort(problems.begin(), problems.end(),
                   [&](const LintProblem& a, const LintProblem& b) { return rank(a.path) < rank(b.path); });
  return problems;
}

}  // namespace qel
