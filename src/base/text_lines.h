#pragma once
// Text files as lines, whichever end of line they were written with.
#include <string_view>
#include <vector>

namespace qel {

// The lines of a text split at '\n', each without a trailing '\r'; a final end of
// line starts no further, empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace qel
