#pragma once
// TGfxDevice over SDL2 and OpenGL 3.3 core. The 1024x768 back buffer is an
// off-screen framebuffer; Flip scales it into the window (keeping the aspect, with black
// bars in full screen) and presents. Headless runs use SDL's offscreen video driver.
#include <SDL2/SDL.h>

#include <functional>
#include <string>
#include <vector>

#include "render/gfx_types.h"
#include "render/gl_funcs.h"

namespace qel {

enum class TBitDepth { bdLow, bdHigh };

// The text the shell shows when Initialize fails.
inline constexpr const char* kDeviceInitFailedText = "Failed initializing render device!";
// Shows the shell's modal error box for a failed device (falls back to stderr when no
// display can show it).
void ShowDeviceInitFailure(SDL_Window* parent = nullptr);

class TGfxDevice {
 public:
  TGfxDevice();
  ~TGfxDevice();
  TGfxDevice(const TGfxDevice&) = delete;
  TGfxDevice& operator=(const TGfxDevice&) = delete;

  // Settings (the shell's values as defaults).
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int w);
  void SetHeight(int h);
  TBitDepth BitDepth = TBitDepth::bdHigh;
  int Refresh = 0;
  bool Windowed() const { return windowed_; }
  void SetWindowed(bool windowed);
  bool VSync() const { return vsync_; }
  void SetVSync(bool v);
  bool HardwareTL() const { return hardwareTL_; }
  void SetHardwareTL(bool v);
  bool DepthBuffer = false;
  // An existing SDL window created with SDL_WINDOW_OPENGL to draw into; when null the
  // device creates (and owns) its own window.
  SDL_Window* WindowHandle = nullptr;
  // Headless: the window stays hidden (use with SDL_VIDEODRIVER=offscreen).
  bool Headless = false;
  std::string Title = "FormMain";

  std::function<void(TGfxDevice&, bool& success)> OnInitialize;
  std::function<void(TGfxDevice&)> OnRender;
  std::function<void(TGfxDevice&)> OnFinalize;

  void Subscribe(TGfxSubscriber* s);
  void Unsubscribe(TGfxSubscriber* s);
  bool Notify(int msg);  // false when a subscriber answers false

  bool Initialize();
  void Finalize();
  bool Initialized() const { return context_ != nullptr; }
  const std::string& LastError() const { return lastError_; }

  bool Render(uint32_t background, bool clear);
  bool Flip();
  bool InScene() const { return inScene_; }

  // The back buffer as Width x Height 0xAARRGGBB pixels, rows top-down (alpha 255: the back
  // buffer has no alpha channel, like Direct3D's X8R8G8B8 desktop format).
  bool ReadBackBuffer(std::vector<uint32_t>& out);

  // The player's own overlay (the inspector, notices). Called in a scene after the game has
  // drawn: the game's picture is copied into a second buffer and the draws that follow go
  // there; Flip presents that buffer. The back buffer keeps the game's picture alone, so
  // screenshots never show the overlay and a repaint without clearing starts from the game.
  bool BeginOverlay();
  // Whether the last scene drew an overlay (Flip then presents it).
  bool OverlayShown() const { return drawFbo_ != fbo_; }
  // What Flip presents: the back buffer, or the overlay buffer when the scene drew one.
  bool ReadPresentedBuffer(std::vector<uint32_t>& out);

  const GlFuncs& GL() const { return gl_; }
  SDL_Window* Window() const { return window_; }
  GLuint BackBufferFbo() const { return fbo_; }
  // Makes the scene's draw target current again (after another framebuffer was used): the
  // back buffer, or the overlay buffer after BeginOverlay.
  void BindBackBuffer();

 private:
  bool CreateBackBuffer();
  void DestroyBackBuffer();
  bool CreateOverlayBuffer();
  bool ReadFramebuffer(GLuint fbo, std::vector<uint32_t>& out);
  void ApplyWindowMode();
  void ResetDevice();

  int width_ = 1024, height_ = 768;
  bool windowed_ = true, vsync_ = false, hardwareTL_ = false;
  bool ownsWindow_ = false;
  bool videoInit_ = false;
  bool inScene_ = false;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  GlFuncs gl_;
  GLuint fbo_ = 0, colorRb_ = 0, depthRb_ = 0;
  GLuint overlayFbo_ = 0, overlayRb_ = 0;  // made the first time an overlay is drawn
  GLuint drawFbo_ = 0;                     // where the scene draws: fbo_ or overlayFbo_
  std::vector<TGfxSubscriber*> subscribers_;
  std::string lastError_;
};

}  // namespace qel
