// Files and names a game asks for: the root's files, pictures, fonts,
// effect files, language keys and sounds, found as the player finds them.
#include "linted_game.h"

namespace qel {
namespace {

std::string Quoted(const ByteString& name) {
  std::string out(1, '"');
  out += Cp1251ToUtf8(name);
  out += '"';
  return out;
}

bool StartsWithNoCase(const ByteString& s, const char* prefix) {
  ByteString p(prefix);
  return s.size() >= p.size() && UpperCase(s.substr(0, p.size())) == UpperCase(p);
}

bool HasFont(LintedGame& game, const ByteString& name) {
  if (!game.archive.EnsureTable()) return false;
  for (int i = 0; i < game.archive.RecordCount(); ++i)
    if (game.archive.RecordType(i) == TResDb::kTypeFont && UpperCase(game.archive.RecordName(i)) == UpperCase(name))
      return true;
  return false;
}

// Whether the game has the file; one found only by ignoring letter case is warned of.
bool HasFile(LintedGame& game, const TQelElement& e, const std::string& where, const ByteString& name) {
  const bool found = game.FileExists(name);
  game.WarnCaseOnlyFiles(e, where);
  return found;
}

void LintRootFiles(LintedGame& game) {
  TQelDB& root = game.root;
  auto need = [&](const ByteString& name, const char* property, const char* what) {
    if (!name.empty() && !HasFile(game, root, property, name))
      game.Report(root, std::string(what) + " (" + property + ") " + Quoted(name) + " not found");
  };
  need(root.Lang, "Lang", "language file");
  need(root.SoundFile, "SoundFile", "sound table");
  need(root.FileFonts, "FileFonts", "resource archive");
}

void LintLangKey(LintedGame& game, TQelElement& e, const ByteString& key, const std::string& where) {
  if (!key.empty() && game.root.GetLangText(key).empty())
    game.Report(e, where + ": language key " + Quoted(key) + " not found");
}

void LintSound(LintedGame& game, TQelElement& e, const ByteString& name, const std::string& where) {
  ByteString file;
  int32_t volume = 0;
  game.root.LookupSound(name, file, volume);
  if (file.empty()) {
    game.Report(e, where + ": sound " + Quoted(name) + " is not in the sound table");
    return;
  }
  ByteString relative = "sounds\\" + file;
  if (!HasFile(game, e, where, relative) && !game.ArchiveHas(relative))
    game.Report(e, where + ": sound file " + Quoted(relative) + " of " + Quoted(name) + " not found");
}

void LintProperties(LintedGame& game, TQelElement& e) {
  for (const PropertyInfo& p : e.Class().properties) {
    if (!p.IsString()) continue;
    ByteString value = p.getString(e);
    if (value.empty()) continue;
    const std::string where = p.name;
    if (StartsWithNoCase(p.name, "im")) {
      ByteString picture = value[0] == '*' ? value.substr(1) : value;  // "*" asks for the mask view
      if (!picture.empty() && !HasFile(game, e, where, picture) && !game.ArchiveHas(picture))
        game.Report(e, where + ": picture " + Quoted(picture) + " not found");
    } else if (p.name == "Font") {
      if (!HasFont(game, value)) game.Report(e, where + ": font " + Quoted(value) + " is not in the resource archive");
    } else if (p.name == "EffectFN") {
      if (!HasFile(game, e, where, value)) game.Report(e, where + ": effect file " + Quoted(value) + " not found");
    } else if (p.name == "TextId") {
      LintLangKey(game, e, value, where);
    }
  }
}

void LintScriptNames(LintedGame& game, TQelElement& e) {
  for (const ScriptFacts& facts : game.FactsOf(e)) {
    for (const CaseOnlyFile& file : facts.caseOnlyFiles) game.WarnCaseOnly(e, facts.event, file);
    for (const ByteString& key : facts.langKeys) LintLangKey(game, e, key, facts.event);
    for (const ScriptCall& call : facts.calls) {
      if (call.routine || call.args.size() != 1 || call.args[0].kind != ScriptArg::Literal) continue;
      const ByteString& arg = call.args[0].text;
      if (call.name == "PLAYSND" || call.name == "PLAYMUZ") LintSound(game, e, arg, facts.event);
      else if (call.name == "GETTEXT") LintLangKey(game, e, arg, facts.event);
    }
  }
}

}  // namespace

void LintFiles(LintedGame& game) {
  LintRootFiles(game);
  for (TQelElement* e : game.Elements()) {
    LintProperties(game, *e);
    LintScriptNames(game, *e);
  }
}

}  // namespace qel
