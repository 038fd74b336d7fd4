#pragma once
// Runs qelplayer on games the tests write, and reads back its pictures.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "render/picture.h"

namespace qel {

namespace fs = std::filesystem;

// A JPEG of w x h pixels in `fill`, with its top-left 16 x 16 in `corner`
// (whole blocks, so the corner pixel decodes to that colour).
inline void WriteJpeg(const fs::path& file, int w, int h, uint32_t corner, uint32_t fill) {
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = x < 16 && y < 16 ? corner : fill;
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = c >> 16, p[1] = c >> 8, p[2] = c;
    }
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = w;
  cinfo.image_height = h;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  for (int i = 0; i < cinfo.num_components; ++i) cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = &rgb[static_cast<size_t>(cinfo.next_scanline) * w * 3];
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(out);
}

struct RunResult {
  int status = -1;
  int signal = 0;
  std::string out, err;
};

class Player : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("qel_player_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // Packs a game's text with qeltool, as an author's tool would.
  fs::path WriteGame(const std::string& text, const std::string& name = "game") {
    std::ofstream(dir / (name + ".qelt")) << text;
    const fs::path file = dir / (name + ".qelf");
    const std::string cmd = std::string(QELTOOL) + " pack '" + (dir / (name + ".qelt")).string() + "' -o '" +
                            file.string() + "' > /dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << text;
    return file;
  }

  // Sessions and reports go to dir/state unless env names a place.
  RunResult Run(const std::string& args, const std::string& env = "SDL_VIDEODRIVER=offscreen",
                const std::string& player = QELPLAYER) {
    const std::string cmd = "cd '" + dir.string() + "' && env -u DISPLAY SDL_AUDIODRIVER=dummy XDG_STATE_HOME='" +
                            (dir / "state").string() + "' " + env + " " + player + " " + args +
                            " > out.txt 2> err.txt";
    RunResult r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    // A player killed by a signal: the shell reports 128 + the signal, or ends the same way.
    if (r.status > 128) r.signal = r.status - 128;
    if (WIFSIGNALED(raw)) r.signal = WTERMSIG(raw);
    r.out = Read(dir / "out.txt");
    r.err = Read(dir / "err.txt");
    return r;
  }

  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  TBitmap32 Shot(const std::string& name) {
    TBitmap32 bmp;
    EXPECT_TRUE(LoadPictureFile((dir / name).string(), bmp)) << name;
    EXPECT_EQ(bmp.width, 1024);
    EXPECT_EQ(bmp.height, 768);
    return bmp;
  }

  fs::path dir;
};

// Each channel within tolerance.
inline ::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance = 4) {
  for (int shift : {0, 8, 16}) {
    const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
    if (std::abs(a - e) > tolerance)
      return ::testing::AssertionFailure() << std::hex << "pixel " << (actual & 0xFFFFFF) << ", expected "
                                           << (expected & 0xFFFFFF);
  }
  return ::testing::AssertionSuccess();
}

// src over dst with alpha a (0..255), per channel.
inline uint32_t Blend(uint32_t src, uint32_t dst, int a) {
  uint32_t out = 0;
  for (int shift : {0, 8, 16}) {
    const int s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= static_cast<uint32_t>((s * a + d * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

// A PNG of w x h pixels in one colour (0xAARRGGBB).
inline void WriteSolidPng(const fs::path& file, int w, int h, uint32_t argb) {
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < rgba.size(); i += 4) {
    rgba[i] = argb >> 16, rgba[i + 1] = argb >> 8, rgba[i + 2] = argb, rgba[i + 3] = argb >> 24;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = PNG_FORMAT_RGBA;
  ASSERT_NE(png_image_write_to_file(&image, file.c_str(), 0, rgba.data(), w * 4, nullptr), 0);
  png_image_free(&image);
}

}  // namespace qel
