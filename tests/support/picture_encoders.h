#pragma once
// Pictures encoded in memory by the system libraries, for tests and benchmarks that
// need picture files: PNG through libpng's simplified writer, JPEG through libjpeg.
#include <cstdint>
#include <string>
#include <vector>

#include "render/picture.h"

namespace qel::test {

// The picture as a PNG file, alpha kept; empty when libpng fails.
std::string EncodePng(const TBitmap32& picture);
// The picture as a JPEG file at the given quality (0..100), alpha dropped.
std::string EncodeJpeg(const TBitmap32& picture, int quality = 100);

// A PNG holding exactly the given samples, through libpng's ordinary writer.
struct PngSamples {
  int width = 0, height = 0;
  int colourType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
  int bitDepth = 8;
  bool interlaced = false;  // Adam7
  double gamma = 0;         // written as a gAMA chunk when not 0
  std::vector<uint16_t> samples;      // the channels of each pixel, row by row, as stored
  std::vector<uint32_t> palette;      // 0xRRGGBB entries, for colour type 3
  std::vector<uint16_t> transparent;  // tRNS: alpha per palette entry, or the grey or R G B samples
};
std::string EncodePngSamples(const PngSamples& png);

// Four-channel JPEGs as print programs write them: `cmyk` holds C M Y K bytes per pixel, row by
// row. `ycck` stores them as YCCK; `adobe` writes the Adobe marker, and then the bytes are
// taken as already inverted (0 full ink), as such files keep them.
std::string EncodeCmykJpeg(int width, int height, const std::string& cmyk, bool ycck, bool adobe);

}  // namespace qel::test
