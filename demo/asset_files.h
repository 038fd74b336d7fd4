#pragma once
// Writers for the demo's generated files: pictures (PNG, JPEG, 24-bit BMP)
// painted by a shader function, and the particle effect record.
#include <cstdint>
#include <filesystem>
#include <functional>

namespace demo {

using Shader = std::function<uint32_t(int x, int y)>;  // 0xAARRGGBB

bool WritePng(const std::filesystem::path& file, int w, int h, const Shader& shade);
bool WriteJpeg(const std::filesystem::path& file, int w, int h, const Shader& shade);
// Alpha is dropped: the particle picture is drawn additively on black.
bool WriteBmp(const std::filesystem::path& file, int w, int h, const Shader& shade);

// The emitter parameters of one effect file (136 bytes, little-endian).
struct EffectRecord {
  int32_t firstPattern = 0, lastPattern = -1;
  uint32_t drawEffect = 260;
  int32_t emission = 0;
  float lifetime = 0, lifeMin = 0, lifeMax = 0, direction = 0, spread = 0;
  bool relative = false;
  float speedMin = 0, speedMax = 0, gravityMin = 0, gravityMax = 0;
  float radialMin = 0, radialMax = 0, tangentialMin = 0, tangentialMax = 0;
  float sizeStart = 0, sizeMiddle = 0, sizeEnd = 0, sizeVariation = 0;
  float spinStart = 0, spinMiddle = 0, spinEnd = 0, spinVariation = 0;
  uint32_t colourStart = 0, colourMiddle = 0, colourEnd = 0;  // 0xAARRGGBB
  float colourVariation = 0, alphaVariation = 0, middlePoint = 0.5f;
  bool newestFirst = false;
};

bool WriteEffect(const std::filesystem::path& file, const EffectRecord& e);

}  // namespace demo
