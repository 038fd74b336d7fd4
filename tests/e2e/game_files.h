#pragma once
// What the end-to-end checks read back from a game folder: ini keys and the
// captured audio.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qel::e2e {

// The value of KEY in [SECTION] (both without regard to case), or nullopt.
std::optional<std::string> ReadIniKey(const std::filesystem::path& file, const std::string& section,
                                      const std::string& key);

// The samples of a 16-bit PCM WAV file, channels interleaved.
struct Wav {
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> samples;
};
std::optional<Wav> ReadWav(const std::filesystem::path& file);

// Process steps are 1/30 s: the player mixes this many frames for each.
inline constexpr int kFramesPerStep = 1470;

// The largest magnitude among the samples of steps from..to-1 (step k mixes
// frames (k-1)*1470 .. k*1470-1); nullopt when the capture is shorter.
std::optional<int> PeakOfSteps(const Wav& wav, int from, int to);

// The normalised correlation of two captures over steps from..to-1: 1 when
// one is the other scaled, near 0 when they are unrelated; nullopt when either
// is shorter or silent there.
std::optional<double> CorrelationOfSteps(const Wav& a, const Wav& b, int from, int to);

}  // namespace qel::e2e
