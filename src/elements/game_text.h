#pragma once
// The game file as readable, hand-editable UTF-8 text, and back. Every
// stored value is listed under its property name in stored order, so a
// record with fewer values than its class publishes lists fewer lines and
// packs back to the same bytes.
//
//   TQelDB {
//     Key = 0
//     Id = "Demo"
//     exInit = <<<
//   X := 1;
//   >>>
//     TQelScreen {
//       ...
//     }
//   }
#include <string>
#include <string_view>
#include <vector>

#include "base/encoding.h"

namespace qel {

struct TextProblem {
  size_t where = 0;  // byte offset in the game file, or line number in the text
  std::string path;
  std::string message;
};

// Writes the text of a game file. On malformed input the text holds what
// could be read and the problems say where the rest went wrong.
bool DumpGame(std::string_view file, std::string& text, std::vector<TextProblem>& problems);
// Builds the game file from its text. Stops at the first error (line numbers in problems).
bool PackGame(std::string_view text, ByteString& file, std::vector<TextProblem>& problems);

// Quoting of 8-bit text as UTF-8 with escapes, shared with other tools.
std::string QuoteText(std::string_view bytes);

}  // namespace qel
