#pragma once
// Pictures encoded in memory by the system libraries, for tests and benchmarks that
// need picture files: PNG through libpng's simplified writer, JPEG through libjpeg.
#include <string>

#include "render/picture.h"

namespace qel::test {

// The picture as a PNG file, alpha kept; empty when libpng fails.
std::string EncodePng(const TBitmap32& picture);
// The picture as a JPEG file at the given quality (0..100), alpha dropped.
std::string EncodeJpeg(const TBitmap32& picture, int quality = 100);

// Four-channel JPEGs as print programs write them: `cmyk` holds C M Y K bytes per pixel, row by
// row. `ycck` stores them as YCCK; `adobe` writes the Adobe marker, and then the bytes are
// taken as already inverted (0 full ink), as such files keep them.
std::string EncodeCmykJpeg(int width, int height, const std::string& cmyk, bool ycck, bool adobe);

}  // namespace qel::test
