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

}  // namespace qel::test
