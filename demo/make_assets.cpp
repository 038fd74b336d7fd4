// Draws the demo game's pictures, its start-up logos, the particle picture and
// the effect file, so that the demo plays without files from elsewhere:
//   make_demo_assets OUTDIR
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "asset_files.h"
#include "pictures.h"

namespace fs = std::filesystem;
using namespace demo;

namespace {

// Sparks rising from the candle flame, for ever (the lifetime is days).
EffectRecord Sparks() {
  EffectRecord e;
  e.firstPattern = 0;
  e.lastPattern = -1;
  e.drawEffect = 260;  // additive
  e.emission = 50;
  e.lifetime = 1e6f;
  e.lifeMin = 0.8f;
  e.lifeMax = 1.8f;
  e.direction = 3.14159265f;  // velocity (sin a, cos a): pi points up the screen
  e.spread = 0.9f;
  e.speedMin = 30;
  e.speedMax = 80;
  e.gravityMin = -2;
  e.gravityMax = -1;
  e.tangentialMin = -4;
  e.tangentialMax = 4;
  e.sizeStart = 1.0f;
  e.sizeMiddle = 0.7f;
  e.sizeEnd = 0.2f;
  e.sizeVariation = 0.4f;
  e.colourStart = 0xFFFFF0A0;
  e.colourMiddle = 0xE0FF9030;
  e.colourEnd = 0x00FF3010;
  e.colourVariation = 0.5f;
  e.alphaVariation = 0.3f;
  e.middlePoint = 0.4f;
  return e;
}

bool Text(const fs::path& file, const std::string& text) {
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  std::fputs(text.c_str(), out);
  return std::fclose(out) == 0;
}

std::function<uint32_t(int, int)> ButtonOf(int w, int h) {
  return [w, h](int x, int y) { return Button(x, y, w, h); };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_assets OUTDIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  for (const char* dir : {"pics", "logos", "effects"}) fs::create_directories(out / dir);
  const fs::path pics = out / "pics";
  const bool ok =
      WritePng(pics / "menu.png", 1024, 768, MenuBackground) && WritePng(pics / "room.png", 1024, 768, RoomBackground) &&
      WritePng(pics / "puzzle.png", 1024, 768, PuzzleBackground) && WritePng(pics / "door.png", 120, 240, Door) &&
      WritePng(pics / "key.png", 64, 32, Key) && WritePng(pics / "apple.png", 48, 48, Apple) &&
      WritePng(pics / "gem.png", 48, 48, Gem) && WritePng(pics / "lamp.png", 40, 120, Lamp) &&
      WritePng(pics / "bird.png", 64, 32, Bird) && WritePng(pics / "node.png", 26, 26, Node) &&
      WritePng(pics / "arrow.png", 32, 32, Arrow) && WritePng(pics / "hand.png", 32, 32, Hand) &&
      WritePng(pics / "btn240.png", 240, 56, ButtonOf(240, 56)) &&
      WritePng(pics / "btn200.png", 200, 56, ButtonOf(200, 56)) &&
      WritePng(pics / "btn120.png", 120, 56, ButtonOf(120, 56)) &&
      WritePng(pics / "btn56.png", 56, 56, ButtonOf(56, 56)) &&
      WriteJpeg(out / "logos" / "logo1.jpg", 1024, 768, Logo1) &&
      WriteJpeg(out / "logos" / "logo2.jpg", 1024, 768, Logo2) &&
      WriteBmp(out / "particles.bmp", 128, 32, Particles) && Text(out / "particles.an", "4\r\n1\r\n") &&
      WriteEffect(out / "effects" / "sparks.psi", Sparks());
  if (!ok) std::fprintf(stderr, "make_demo_assets: cannot write into %s\n", out.c_str());
  return ok ? 0 : 1;
}
