// A cache picture with its companions: the picture's bytes, one companion
// (colour picture or mask) and a pattern-grid text, under a name that picks
// which companion rule applies.
//   input: name selector (1 byte), picture length (2 bytes, little-endian),
//          picture, companion length (2 bytes), companion, grid text (the rest)
#include "fuzz_support.h"
#include "gamedb/picture_source.h"

namespace {

const char* const kNames[] = {"DOOR_M.BMP", "LAMP.BMP", "GLOW_1.JPG", "SHEET.PNG", "SHEET.TGA", "PLAIN.JPG"};

std::string_view Take(std::string_view& in) {
  if (in.size() < 2) return in = {}, std::string_view();
  size_t n = static_cast<uint8_t>(in[0]) | static_cast<size_t>(static_cast<uint8_t>(in[1])) << 8;
  in.remove_prefix(2);
  n = std::min(n, in.size());
  std::string_view part = in.substr(0, n);
  in.remove_prefix(n);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in = qel::fuzz::AsView(data, size);
  if (in.empty()) return 0;
  const uint8_t selector = static_cast<uint8_t>(in[0]);
  in.remove_prefix(1);
  const std::string_view picture = Take(in), companion = Take(in), grid = in;
  const qel::ByteString name = kNames[selector % std::size(kNames)];
  auto read = [&](const qel::ByteString& file, std::vector<uint8_t>& out) {
    std::string_view part = file.ends_with(".an") ? grid : companion;
    out.assign(part.begin(), part.end());
    return !part.empty();
  };
  qel::LoadedPicture out;
  qel::DecodeCachePicture(name, std::vector<uint8_t>(picture.begin(), picture.end()), selector & 0x80, read, out);
  return 0;
}
