#include "render/picture.h"

#include <cstdio>

#include "render/picture_internal.h"

namespace qel {

using namespace picture_detail;

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i)
    if (Lower(s[s.size() - suffix.size() + i]) != suffix[i]) return false;
  return true;
}

}  // namespace

TPictureKind PictureKindFromName(std::string_view name) {
  if (EndsWithNoCase(name, ".tga")) return TPictureKind::Tga;
  if (EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg")) return TPictureKind::Jpeg;
  if (EndsWithNoCase(name, ".png")) return TPictureKind::Png;
  return TPictureKind::Bmp;
}

bool DecodePicture(const uint8_t* data, size_t size, TPictureKind kind, TBitmap32& out, std::string* error) {
  switch (kind) {
    case TPictureKind::Png: return DecodePng(data, size, out, error);
    case TPictureKind::Jpeg: return DecodeJpeg(data, size, out, error);
    case TPictureKind::Tga: return DecodeTga(data, size, out, error);
    case TPictureKind::Bmp: return DecodeBmp(data, size, out, nullptr, error);
  }
  return Fail(out, error, "unknown picture kind");
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool LoadPictureFile(const std::string& path, TBitmap32& out, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) {
    out = TBitmap32{};
    if (error) *error = "cannot read " + path;
    return false;
  }
  return DecodePicture(bytes.data(), bytes.size(), PictureKindFromName(path), out, error);
}


}  // namespace qel
