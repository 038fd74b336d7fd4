#include "shell/root_ops.h"

#include <fstream>
#include <sstream>

#include "elements/game_file.h"
#include "elements/kinds.h"

namespace qel {

bool RootLoadGame(TQelDB& root, const std::filesystem::path& file, std::string& err) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    err = "cannot read " + file.string();
    return false;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string data = buffer.str();
  if (!LoadGameData(root, data)) {
    for (const LoadProblem& p : root.runtime().loadProblems)
      err += file.filename().string() + ": offset " + std::to_string(p.offset) + ", " + p.path + ": " +
             p.message + "\n";
  }
  return true;
}

void RootDoKeyDown(TQelDB& root, int32_t key) {
  root.runtime().shell.LastKeyDown = key;
  root.RunEvent("key_Down", root.exKeyDown);
}

namespace {

void EditFocusedText(TQelText& text, uint16_t c, bool unicodeMode) {
  ByteString& t = text.Text;
  if (c == 8) {
    if (t.empty()) return;
    const bool group = unicodeMode && t.size() >= 3 && t[t.size() - 3] == 1;
    t.resize(t.size() - (group ? 3 : 1));
  } else if (unicodeMode) {
    if (c >= 32 && c <= 119) t += static_cast<char>(c);
    else if (c >= 128) t += {char(1), static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  } else if (c >= 32 && c <= 255 && c != '#' && c != '$') {
    t += static_cast<char>(c);
  }
}

}  // namespace

void RootDoChar(TQelDB& root, uint16_t c) {
  Runtime& rt = root.runtime();
  if (auto* text = dynamic_cast<TQelText*>(rt.Resolve(rt.shell.FocusedText))) {
    EditFocusedText(*text, c, root.UnicodeMode);
    return;
  }
  // Cheat codes: without the root's detector, typed characters go nowhere.
}

void RootDoExit(TQelDB& root) { root.RunEvent("Exit", root.exExit); }

void RootWriteFullScreenSetting(TQelDB&, bool) {}
void RootUpdateStars(TQelDB&) {}
void RootDrawStars(TQelDB&, int32_t) {}
void UpdateMusic(Runtime&) {}

}  // namespace qel
