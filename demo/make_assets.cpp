// Draws the demo game's pictures and its start-up logo, so that the demo
// plays without files from elsewhere:
//   make_demo_assets OUTDIR
// writes OUTDIR/pics/room.png, door.png, bird.png and OUTDIR/logos/logo1.jpg.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace fs = std::filesystem;

namespace {

using Shader = std::function<uint32_t(int x, int y)>;  // 0xAARRGGBB

std::vector<uint32_t> Paint(int w, int h, const Shader& shade) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = shade(x, y);
  return px;
}

bool WritePng(const fs::path& file, int w, int h, const Shader& shade) {
  std::vector<uint32_t> px = Paint(w, h, shade);
  std::vector<uint8_t> rgba(px.size() * 4);
  for (size_t i = 0; i < px.size(); ++i) {
    rgba[i * 4 + 0] = px[i] >> 16;
    rgba[i * 4 + 1] = px[i] >> 8;
    rgba[i * 4 + 2] = px[i];
    rgba[i * 4 + 3] = px[i] >> 24;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = PNG_FORMAT_RGBA;
  const bool ok = png_image_write_to_file(&image, file.c_str(), 0, rgba.data(), w * 4, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

bool WriteJpeg(const fs::path& file, int w, int h, const Shader& shade) {
  std::vector<uint32_t> px = Paint(w, h, shade);
  std::vector<uint8_t> rgb(px.size() * 3);
  for (size_t i = 0; i < px.size(); ++i) {
    rgb[i * 3 + 0] = px[i] >> 16;
    rgb[i * 3 + 1] = px[i] >> 8;
    rgb[i * 3 + 2] = px[i];
  }
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  c.image_width = w;
  c.image_height = h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = &rgb[static_cast<size_t>(c.next_scanline) * w * 3];
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(out);
  return true;
}

uint32_t Rgb(double r, double g, double b) {
  auto c = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 255.0)); };
  return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

// A room: a wall with a wainscot, a floor in perspective, a window of sky.
uint32_t Room(int x, int y) {
  if (y > 560) {
    const double d = (y - 560) / 208.0;
    const bool board = (static_cast<int>((x - 512) / (1.0 + 3 * d)) / 64) % 2 == 0;
    return Rgb(110 + 50 * d + (board ? 12 : 0), 70 + 30 * d, 40 + 10 * d);
  }
  if (x > 140 && x < 420 && y > 120 && y < 400) {
    if (std::abs(x - 280) < 4 || std::abs(y - 260) < 4) return Rgb(230, 225, 210);
    return Rgb(120 + (400 - y) / 3.0, 170 + (400 - y) / 4.0, 235);
  }
  const double shade = 1.0 - std::abs(x - 512) / 1400.0;
  if (y > 470) return Rgb(90 * shade, 110 * shade, 90 * shade);
  return Rgb(190 * shade, 180 * shade, 150 * shade);
}

uint32_t Door(int x, int y) {
  const bool frame = x < 8 || x >= 112 || y < 8;
  if (frame) return Rgb(60, 35, 20);
  if (std::hypot(x - 92, y - 130) < 7) return Rgb(230, 200, 80);
  const bool panel = (x > 20 && x < 100) && ((y > 25 && y < 110) || (y > 150 && y < 225));
  return panel ? Rgb(135, 80, 45) : Rgb(115, 68, 38);
}

uint32_t Bird(int x, int y) {
  const double dx = (x - 32) / 30.0, dy = (y - 16) / 10.0;
  if (dx * dx + dy * dy > 1.0) return 0;  // transparent around it
  return Rgb(40, 40 + 60 * (1 - dy), 90);
}

uint32_t Logo(int x, int y) {
  const double r = std::hypot(x - 512, y - 384);
  if (r < 150) return Rgb(240, 180 - r / 2, 40);
  if (r < 170) return Rgb(255, 255, 255);
  return Rgb(20, 24, 48);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_assets OUTDIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  fs::create_directories(out / "pics");
  fs::create_directories(out / "logos");
  const bool ok = WritePng(out / "pics" / "room.png", 1024, 768, Room) &&
                  WritePng(out / "pics" / "door.png", 120, 240, Door) &&
                  WritePng(out / "pics" / "bird.png", 64, 32, Bird) &&
                  WriteJpeg(out / "logos" / "logo1.jpg", 1024, 768, Logo);
  if (!ok) std::fprintf(stderr, "make_demo_assets: cannot write into %s\n", out.c_str());
  return ok ? 0 : 1;
}
