// The least a player must do to show a game's first screen, written plainly:
// start, make the device, read the game file, decode the first screen's
// pictures into textures, draw them once and present.
//   bench_player_floor GAME.qelf PICTURE...
#include <cstdio>

#include "render/gfx_canvas.h"
#include "render/gfx_device.h"
#include "render/gfx_images.h"
#include "render/picture.h"

int main(int argc, char** argv) {
  using namespace qel;
  if (argc < 2) return 2;
  TGfxDevice device;
  device.Headless = true;
  TGfxCanvas canvas(device);
  TGfxImages images(device);
  std::vector<TGfxImage*> textures;
  device.OnInitialize = [&](TGfxDevice&, bool& ok) {
    std::vector<uint8_t> game;
    ok = ok && ReadFileBytes(argv[1], game);
    for (int i = 2; ok && i < argc; ++i) {
      TBitmap32 bmp;
      if (!LoadPictureFile(argv[i], bmp)) continue;
      TGfxImage* im = images.Add();
      im->SetPatternSize(bmp.width, bmp.height);
      im->SetVisibleSize(bmp.width, bmp.height);
      im->SetTextureSize((bmp.width + 3) & ~1, (bmp.height + 3) & ~1);
      im->PatternCount = 1;
      im->UploadFromBitmap(bmp);
      textures.push_back(im);
    }
  };
  device.OnRender = [&](TGfxDevice&) {
    for (TGfxImage* t : textures) canvas.Draw(t, 0, 0, TColor4(0xFFFFFFFFu), 0, 1284);
  };
  if (!device.Initialize()) {
    std::fprintf(stderr, "%s\n", kDeviceInitFailedText);
    return 1;
  }
  device.Render(0, true);
  device.Flip();
  return 0;
}
