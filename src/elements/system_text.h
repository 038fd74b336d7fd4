#pragma once
// Text drawn with a TrueType font by our own FreeType rasteriser: white on
// black, so that an upload with the black colour key leaves only the glyphs.
#include <string>
#include <string_view>

#include "render/picture.h"

namespace qel {

// The text's extent (advance width x line height at pixelSize) with the text
// drawn from (0, 0). False when the font cannot be read or the text is empty.
bool RenderSystemText(const std::string& fontFile, std::u16string_view text, int pixelSize, TBitmap32& out);

// Escaped text to UTF-16: byte 1, low, high is one code unit; any other byte b is code b.
std::u16string DecodeEscaped(std::string_view text);

}  // namespace qel
