#include "game_files.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace qel::e2e {
namespace {

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

uint32_t Le(const std::string& bytes, size_t at, int size) {
  uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

}  // namespace

std::optional<std::string> ReadIniKey(const std::filesystem::path& file, const std::string& section,
                                      const std::string& key) {
  std::ifstream in(file);
  bool inSection = false;
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inSection = SameText(Trim(line.substr(1, line.size() - 2)), section);
    } else if (const size_t eq = line.find('='); inSection && eq != std::string::npos) {
      if (SameText(Trim(line.substr(0, eq)), key)) return Trim(line.substr(eq + 1));
    }
  }
  return std::nullopt;
}

std::optional<Wav> ReadWav(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return std::nullopt;
  Wav wav;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id = bytes.substr(at, 4);
    const size_t size = std::min<size_t>(Le(bytes, at + 4, 4), bytes.size() - at - 8);
    if (id == "fmt " && size >= 16) {
      if (Le(bytes, at + 8, 2) != 1 || Le(bytes, at + 22, 2) != 16) return std::nullopt;  // 16-bit PCM only
      wav.channels = static_cast<int>(Le(bytes, at + 10, 2));
      wav.rate = static_cast<int>(Le(bytes, at + 12, 4));
    } else if (id == "data") {
      wav.samples.resize(size / 2);
      std::memcpy(wav.samples.data(), bytes.data() + at + 8, wav.samples.size() * 2);  // little-endian host
    }
    at += 8 + size + (size & 1);
  }
  if (wav.channels <= 0) return std::nullopt;
  return wav;
}

namespace {

// The samples of steps from..to-1, or false when the capture is shorter.
bool StepRange(const Wav& wav, int from, int to, size_t& begin, size_t& end) {
  const size_t perStep = static_cast<size_t>(kFramesPerStep) * wav.channels;
  begin = static_cast<size_t>(from - 1) * perStep;
  end = static_cast<size_t>(to - 1) * perStep;
  return from >= 1 && from < to && end <= wav.samples.size();
}

}  // namespace

std::optional<double> CorrelationOfSteps(const Wav& a, const Wav& b, int from, int to) {
  size_t begin = 0, end = 0, beginB = 0, endB = 0;
  if (a.channels != b.channels || !StepRange(a, from, to, begin, end) || !StepRange(b, from, to, beginB, endB))
    return std::nullopt;
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = begin; i < end; ++i) {
    const double x = a.samples[i], y = b.samples[i];
    ab += x * y, aa += x * x, bb += y * y;
  }
  if (aa == 0 || bb == 0) return std::nullopt;
  return ab / std::sqrt(aa * bb);
}

std::optional<int> PeakOfSteps(const Wav& wav, int from, int to) {
  size_t begin = 0, end = 0;
  if (!StepRange(wav, from, to, begin, end)) return std::nullopt;
  int peak = 0;
  for (size_t i = begin; i < end; ++i) peak = std::max(peak, std::abs(static_cast<int>(wav.samples[i])));
  return peak;
}

}  // namespace qel::e2e
