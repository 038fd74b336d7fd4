#pragma once
// Finding and decoding one cache picture: the file in the game directory,
// else the archive record of that name; its pattern grid (".an" beside it);
// and the alpha it takes from a companion 8-bit mask.
//
// Companions come from the same source as the picture:
// - "NAME_x.bmp" is the mask of "NAME.jpg" (colour) when that exists;
// - "NAME.bmp" is the mask of "NAME_.jpg" when that exists;
// - "NAME_x.jpg" takes its alpha from "NAME.bmp" when that exists.
// A mask is the bitmap's 8-bit palette indices (its grey level when it has no
// palette); where it does not cover the colour picture, the picture stays opaque.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "render/picture.h"

namespace qel {

class GameDir;
class TResDb;

struct LoadedPicture {
  TBitmap32 bitmap;
  int columns = 1;  // pattern grid
  int rows = 1;
};

// Reads a file of the picture's own source by name; false when missing.
using SourceReader = std::function<bool(const ByteString& name, std::vector<uint8_t>& out)>;

// Decodes the picture `name` from its bytes, with its pattern grid and
// companion masks read through `read`. False when it cannot be decoded.
bool DecodeCachePicture(const ByteString& name, const std::vector<uint8_t>& bytes, bool maskView,
                        const SourceReader& read, LoadedPicture& out, std::string* error = nullptr);

class PictureSources {
 public:
  // Largest picture, mask or grid file read into memory.
  static constexpr uintmax_t kMaxSourceBytes = 256u << 20;

  PictureSources(GameDir* dir, TResDb* archive) : dir_(dir), archive_(archive) {}
  // `name` without the "*" of a mask view. False when the picture is missing
  // or cannot be decoded.
  bool Load(const ByteString& name, bool maskView, LoadedPicture& out);

 private:
  enum class From { Disk, Archive };
  bool Locate(const ByteString& name, From& from);
  bool Read(From from, const ByteString& name, std::vector<uint8_t>& out);

  GameDir* dir_;
  TResDb* archive_;
};

// Archive records are named Windows-style, with backslashes between folders.
ByteString ArchiveName(const ByteString& name);

// "4\r\n2" → 4, 2; a missing, unreadable, zero or negative value gives 1.
void ParsePatternGrid(const std::vector<uint8_t>& text, int& columns, int& rows);

}  // namespace qel
