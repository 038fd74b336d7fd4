// Keys and typed characters that reach the root: the key-down event, text
// typed into the focused text element, and the cheat detector.
#include "elements/qel_db.h"
#include "gamedb/escaped_text.h"

namespace qel {

void TQelDB::DoKeyDown(int32_t keyCode) {
  runtime().shell.LastKeyDown = keyCode;
  RunEvent("key_Down", exKeyDown);
}

void TQelDB::DoExit() { RunEvent("Exit", exExit); }

void TQelDB::DoChar(char16_t code) {
  if (TQelElement* text = runtime().Resolve(runtime().shell.FocusedText))
    TypeIntoFocusedText(*text, code);
  else
    DetectCheat(code);
}

void TQelDB::TypeIntoFocusedText(TQelElement& element, char16_t code) {
  const ElementClass& cls = element.Class();
  int prop = cls.FindProperty("TEXT");
  if (prop < 0 || !cls.properties[prop].IsString()) return;
  const PropertyInfo& p = cls.properties[prop];
  ByteString text = p.getString(element);
  if (UnicodeMode) {
    // Texts are escaped: a backspace takes a whole group. Codes 120..127
    // are not typed in this mode, as games written for it expect.
    if (code == 8)
      text.resize(text.size() - LastEscapedCharSize(text));
    else if (code >= 32 && code <= 119)
      text += static_cast<char>(code);
    else if (code >= 128)
      text += Utf16ToEscaped(std::u16string(1, code));
    else
      return;
  } else {
    // "#" and "$" open colour codes in drawn text.
    if (code == 8 && !text.empty())
      text.pop_back();
    else if (code >= 32 && code <= 255 && code != '#' && code != '$')
      text += static_cast<char>(code);
    else
      return;
  }
  p.setString(element, text);
}

void TQelDB::DetectCheat(char16_t code) {
  CheatBuffer += static_cast<char>(code & 0xFF);
  if (CheatBuffer.size() > static_cast<size_t>(kCheatBufferSize)) CheatBuffer.erase(0, 1);
  const ByteString codes = ";" + Cheats + ";";
  // The buffer can change under the script (a cheat may type), so each
  // suffix is taken from a copy.
  const ByteString typed = CheatBuffer;
  for (size_t p = 0; p < typed.size(); ++p) {
    ByteString suffix = typed.substr(p, kCheatBufferSize);
    if (codes.find(";" + suffix + ";") == ByteString::npos) continue;
    LastCheat = suffix;
    RunEvent("Cheat", exCheat);
  }
}

}  // namespace qel
