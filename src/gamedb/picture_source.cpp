#include "gamedb/picture_source.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "base/game_paths.h"
#include "render/res_db.h"

namespace qel {
namespace {

struct AlphaRows {
  int width = 0, height = 0;
  std::vector<uint8_t> values;
};

AlphaRows MaskOf(const TBitmap32& bmp, const TIndexedRows& indices) {
  AlphaRows mask;
  if (!indices.indices.empty()) {
    mask.width = indices.width;
    mask.height = indices.height;
    mask.values = indices.indices;
    return mask;
  }
  mask.width = bmp.width;
  mask.height = bmp.height;
  mask.values.reserve(bmp.pixels.size());
  for (uint32_t p : bmp.pixels)
    mask.values.push_back(static_cast<uint8_t>((((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) + 1) / 3));
  return mask;
}

void ApplyAlpha(TBitmap32& colour, const AlphaRows& mask) {
  for (int y = 0; y < colour.height; ++y)
    for (int x = 0; x < colour.width; ++x) {
      uint32_t alpha = 255;
      if (x < mask.width && y < mask.height)
        alpha = mask.values[static_cast<size_t>(y) * static_cast<size_t>(mask.width) + static_cast<size_t>(x)];
      uint32_t& p = colour.At(x, y);
      p = (p & 0x00FFFFFFu) | (alpha << 24);
    }
}

bool EndsWith(const ByteString& s, const char* suffix) {
  const size_t n = std::char_traits<char>::length(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

int GridValue(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  int value = 0;
  auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (ec != std::errc() || end != line.data() + line.size() || value <= 0) return 1;
  return value;
}

}  // namespace

ByteString ArchiveName(const ByteString& name) {
  ByteString out = name;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

void ParsePatternGrid(const std::vector<uint8_t>& text, int& columns, int& rows) {
  std::string_view rest(reinterpret_cast<const char*>(text.data()), text.size());
  std::string_view lines[2];
  for (std::string_view& line : lines) {
    size_t end = rest.find_first_of("\r\n");
    line = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      if (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') ++end;
      rest.remove_prefix(end + 1);
    }
  }
  columns = GridValue(lines[0]);
  rows = GridValue(lines[1]);
}

bool PictureSources::Locate(const ByteString& name, From& from) {
  if (dir_) {
    if (auto path = dir_->Find(name)) {
      std::error_code ec;
      if (std::filesystem::is_regular_file(*path, ec)) {
        from = From::Disk;
        return true;
      }
    }
  }
  if (archive_ && archive_->EnsureTable() && archive_->IndexOf(ArchiveName(name)) >= 0) {
    from = From::Archive;
    return true;
  }
  return false;
}

bool PictureSources::Read(From from, const ByteString& name, std::vector<uint8_t>& out) {
  if (from == From::Disk) {
    if (!dir_) return false;
    auto path = dir_->Find(name);
    std::error_code ec;
    if (!path || !std::filesystem::is_regular_file(*path, ec)) return false;
    auto size = std::filesystem::file_size(*path, ec);
    if (ec || size > kMaxSourceBytes) return false;
    return ReadFileBytes(path->string(), out);
  }
  if (!archive_) return false;
  const ByteString recordName = ArchiveName(name);
  const TResRecord* record = archive_->Record(archive_->IndexOf(recordName));
  if (!record || record->unpackedSize < 0 || static_cast<uintmax_t>(record->unpackedSize) > kMaxSourceBytes)
    return false;
  return archive_->ReadRecord(recordName, out);
}

namespace {

bool ReadJpeg(const SourceReader& read, const ByteString& name, TBitmap32& out) {
  std::vector<uint8_t> bytes;
  return read(name, bytes) && DecodeJpeg(bytes.data(), bytes.size(), out);
}

}  // namespace

bool DecodeCachePicture(const ByteString& name, const std::vector<uint8_t>& bytes, bool maskView,
                        const SourceReader& read, LoadedPicture& out, std::string* error) {
  out = LoadedPicture();
  // The grid file is read into memory from either source: nothing is written
  // next to the game.
  std::vector<uint8_t> grid;
  if (name.size() >= 4 && read(name.substr(0, name.size() - 4) + ".an", grid))
    ParsePatternGrid(grid, out.columns, out.rows);

  const ByteString upper = UpperCase(name);
  const size_t slash = name.find_last_of("\\/");
  const ByteString folder = slash == ByteString::npos ? ByteString() : name.substr(0, slash + 1);
  const ByteString file = slash == ByteString::npos ? name : name.substr(slash + 1);
  const size_t underscore = file.find('_');
  if (EndsWith(upper, ".BMP")) {
    TIndexedRows indices;
    if (!DecodeBmp(bytes.data(), bytes.size(), out.bitmap, &indices, error)) return false;
    const AlphaRows mask = MaskOf(out.bitmap, indices);
    TBitmap32 colour;
    if (underscore != ByteString::npos && ReadJpeg(read, folder + file.substr(0, underscore) + ".jpg", colour)) {
      ApplyAlpha(colour, mask);
      out.bitmap = std::move(colour);
    }
    if (maskView)
      for (uint32_t& p : out.bitmap.pixels) p = (p >> 24) * 0x01010101u;
    if (ReadJpeg(read, folder + file.substr(0, file.size() - 4) + "_.jpg", colour)) {
      ApplyAlpha(colour, mask);
      out.bitmap = std::move(colour);
    }
    return true;
  }
  if (!DecodePicture(bytes.data(), bytes.size(), PictureKindFromName(name), out.bitmap, error)) return false;
  if (EndsWith(upper, ".JPG") && underscore != ByteString::npos) {
    std::vector<uint8_t> maskBytes;
    TBitmap32 maskBitmap;
    TIndexedRows indices;
    if (read(folder + file.substr(0, underscore) + ".bmp", maskBytes) &&
        DecodeBmp(maskBytes.data(), maskBytes.size(), maskBitmap, &indices))
      ApplyAlpha(out.bitmap, MaskOf(maskBitmap, indices));
  }
  return true;
}

bool PictureSources::Load(const ByteString& name, bool maskView, LoadedPicture& out) {
  From from;
  std::vector<uint8_t> bytes;
  if (!Locate(name, from) || !Read(from, name, bytes)) return false;
  std::string error;
  auto sameSource = [&](const ByteString& companion, std::vector<uint8_t>& data) {
    return Read(from, companion, data);
  };
  if (DecodeCachePicture(name, bytes, maskView, sameSource, out, &error)) return true;
  std::fprintf(stderr, "Picture %s: %s\n", Cp1251ToUtf8(name).c_str(), error.c_str());
  return false;
}

}  // namespace qel
