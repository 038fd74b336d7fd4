#pragma once
// Sounds for audio tests: 16-bit 44.1 kHz stereo WAV files made from a
// function of the frame index, and the reader of capture files.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace qel::test {

struct Frame {
  int16_t left = 0, right = 0;
};

// PCM of any layout: `at(frame, channel)` gives each sample (0..255 when 8-bit).
inline std::string MakePcmWav(int channels, int bits, int rate, int frames, const std::function<int(int, int)>& at) {
  std::string v;
  auto put16 = [&](uint32_t x) { v += static_cast<char>(x & 0xFF), v += static_cast<char>((x >> 8) & 0xFF); };
  auto put32 = [&](uint32_t x) { put16(x & 0xFFFF), put16(x >> 16); };
  const uint32_t block = static_cast<uint32_t>(channels * bits / 8);
  const uint32_t data = static_cast<uint32_t>(frames) * block;
  v += "RIFF";
  put32(36 + data);
  v += "WAVEfmt ";
  put32(16), put16(1), put16(static_cast<uint32_t>(channels)), put32(static_cast<uint32_t>(rate));
  put32(static_cast<uint32_t>(rate) * block), put16(block), put16(static_cast<uint32_t>(bits));
  v += "data";
  put32(data);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      const int x = at(i, c);
      if (bits == 8)
        v += static_cast<char>(x);
      else
        put16(static_cast<uint16_t>(x));
    }
  return v;
}

inline std::string MakeWav(int frames, const std::function<Frame(int)>& at) {
  return MakePcmWav(2, 16, 44100, frames, [&](int i, int c) {
    const Frame f = at(i);
    return c == 0 ? f.left : f.right;
  });
}

inline std::string DcWav(int frames, int16_t left, int16_t right) {
  return MakeWav(frames, [=](int) { return Frame{left, right}; });
}

// The frames of a capture file; fails the test when its header is not the
// 16-bit 44.1 kHz stereo one with the right sizes.
inline std::vector<Frame> ReadCapture(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<Frame> out;
  if (bytes.size() < 44) return out;
  auto le32 = [&](size_t at) {
    uint32_t x;
    std::memcpy(&x, bytes.data() + at, 4);
    return x;
  };
  if (bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 8, "WAVEfmt ") != 0 || le32(24) != 44100 ||
      le32(40) != bytes.size() - 44 || le32(4) != bytes.size() - 8)
    return out;
  out.resize((bytes.size() - 44) / 4);
  std::memcpy(out.data(), bytes.data() + 44, out.size() * 4);
  return out;
}

}  // namespace qel::test
