#include "render/gfx_device.h"

#include <algorithm>
#include <cstdio>

namespace qel {

void ShowDeviceInitFailure(SDL_Window* parent) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", kDeviceInitFailedText, parent) != 0)
    std::fprintf(stderr, "%s\n", kDeviceInitFailedText);
}

TGfxDevice::TGfxDevice() = default;

TGfxDevice::~TGfxDevice() { Finalize(); }

void TGfxDevice::Subscribe(TGfxSubscriber* s) {
  if (s && std::find(subscribers_.begin(), subscribers_.end(), s) == subscribers_.end()) subscribers_.push_back(s);
}

void TGfxDevice::Unsubscribe(TGfxSubscriber* s) {
  subscribers_.erase(std::remove(subscribers_.begin(), subscribers_.end(), s), subscribers_.end());
}

bool TGfxDevice::Notify(int msg) {
  bool ok = true;
  std::vector<TGfxSubscriber*> copy = subscribers_;
  for (TGfxSubscriber* s : copy) ok = s->DeviceNotify(msg) && ok;
  return ok;
}

bool TGfxDevice::Initialize() {
  if (Initialized()) return true;
  lastError_.clear();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    lastError_ = std::string("SDL video: ") + SDL_GetError();
    return false;
  }
  videoInit_ = true;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, BitDepth == TBitDepth::bdHigh ? 8 : 5);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, BitDepth == TBitDepth::bdHigh ? 8 : 6);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, BitDepth == TBitDepth::bdHigh ? 8 : 5);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  if (WindowHandle) {
    window_ = WindowHandle;
    ownsWindow_ = false;
  } else {
    Uint32 flags = SDL_WINDOW_OPENGL | (Headless ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
    if (!windowed_ && !Headless) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    window_ = SDL_CreateWindow(Title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width_, height_, flags);
    ownsWindow_ = true;
  }
  if (!window_) {
    lastError_ = std::string("window: ") + SDL_GetError();
    Finalize();
    return false;
  }
  context_ = SDL_GL_CreateContext(window_);
  if (!context_) {
    lastError_ = std::string("OpenGL 3.3 core context: ") + SDL_GetError();
    Finalize();
    return false;
  }
  SDL_GL_MakeCurrent(window_, context_);
  const char* missing = nullptr;
  if (!gl_.Load(&missing)) {
    lastError_ = std::string("OpenGL entry point missing: ") + (missing ? missing : "?");
    Finalize();
    return false;
  }
  SDL_GL_SetSwapInterval(vsync_ ? 1 : 0);
  if (!CreateBackBuffer()) {
    lastError_ = "cannot create the back buffer";
    Finalize();
    return false;
  }
  bool success = Notify(msgDeviceInitialize);
  if (!success) lastError_ = "a subscriber refused initialisation";
  if (success && OnInitialize) {
    OnInitialize(*this, success);
    if (!success) lastError_ = "OnInitialize refused";
  }
  if (!success) {
    Finalize();
    return false;
  }
  return true;
}

void TGfxDevice::Finalize() {
  if (context_) {
    if (OnFinalize) OnFinalize(*this);
    Notify(msgDeviceFinalize);
    DestroyBackBuffer();
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
    context_ = nullptr;
  }
  gl_ = GlFuncs{};
  inScene_ = false;
  if (window_ && ownsWindow_) SDL_DestroyWindow(window_);
  window_ = nullptr;
  ownsWindow_ = false;
  if (videoInit_) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoInit_ = false;
  }
}

bool TGfxDevice::CreateBackBuffer() {
  gl_.GenFramebuffers(1, &fbo_);
  gl_.GenRenderbuffers(1, &colorRb_);
  gl_.BindRenderbuffer(GL_RENDERBUFFER, colorRb_);
  // RGB8: no destination alpha, as Direct3D's X8R8G8B8 back buffer (DESTALPHA reads 1).
  gl_.RenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width_, height_);
  gl_.BindFramebuffer(GL_FRAMEBUFFER, fbo_);
  gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorRb_);
  if (DepthBuffer) {
    gl_.GenRenderbuffers(1, &depthRb_);
    gl_.BindRenderbuffer(GL_RENDERBUFFER, depthRb_);
    gl_.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width_, height_);
    gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthRb_);
  }
  bool ok = gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  drawFbo_ = fbo_;
  gl_.Viewport(0, 0, width_, height_);
  gl_.ClearColor(0, 0, 0, 1);
  gl_.Clear(GL_COLOR_BUFFER_BIT);
  return ok;
}

void TGfxDevice::DestroyBackBuffer() {
  if (!gl_.DeleteFramebuffers) return;
  gl_.BindFramebuffer(GL_FRAMEBUFFER, 0);
  if (fbo_) gl_.DeleteFramebuffers(1, &fbo_);
  if (colorRb_) gl_.DeleteRenderbuffers(1, &colorRb_);
  if (depthRb_) gl_.DeleteRenderbuffers(1, &depthRb_);
  if (overlayFbo_) gl_.DeleteFramebuffers(1, &overlayFbo_);
  if (overlayRb_) gl_.DeleteRenderbuffers(1, &overlayRb_);
  fbo_ = colorRb_ = depthRb_ = overlayFbo_ = overlayRb_ = drawFbo_ = 0;
}

bool TGfxDevice::CreateOverlayBuffer() {
  gl_.GenFramebuffers(1, &overlayFbo_);
  gl_.GenRenderbuffers(1, &overlayRb_);
  gl_.BindRenderbuffer(GL_RENDERBUFFER, overlayRb_);
  gl_.RenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width_, height_);
  gl_.BindFramebuffer(GL_FRAMEBUFFER, overlayFbo_);
  gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, overlayRb_);
  const bool ok = gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
  if (!ok) {
    gl_.DeleteFramebuffers(1, &overlayFbo_);
    gl_.DeleteRenderbuffers(1, &overlayRb_);
    overlayFbo_ = overlayRb_ = 0;
  }
  return ok;
}

bool TGfxDevice::BeginOverlay() {
  if (!inScene_ || !fbo_) return false;
  if (OverlayShown()) return true;
  if (!overlayFbo_ && !CreateOverlayBuffer()) return false;
  // The canvas's pending draws belong to the game's picture.
  Notify(msgFlushBatch);
  // A blit obeys the scissor box; the canvas keeps the scissor test on for the whole scene
  // and sets its box again itself.
  gl_.Disable(GL_SCISSOR_TEST);
  gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, overlayFbo_);
  gl_.BlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  gl_.Enable(GL_SCISSOR_TEST);
  drawFbo_ = overlayFbo_;
  gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
  return true;
}

void TGfxDevice::BindBackBuffer() {
  if (Initialized()) gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
}

void TGfxDevice::ApplyWindowMode() {
  if (!window_ || !ownsWindow_) return;
  if (windowed_) {
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowSize(window_, width_, height_);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  } else if (!Headless) {
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
}

// The equivalent of a Direct3D Reset: the GL context (and so every texture) survives;
// the window mode, swap interval and back buffer follow the stored settings.
void TGfxDevice::ResetDevice() {
  if (!Initialized()) return;
  Notify(msgDeviceLost);
  ApplyWindowMode();
  SDL_GL_SetSwapInterval(vsync_ ? 1 : 0);
  DestroyBackBuffer();
  if (CreateBackBuffer()) Notify(msgDeviceReset);
}

void TGfxDevice::SetWindowed(bool windowed) {
  windowed_ = windowed;
  ResetDevice();
}
void TGfxDevice::SetVSync(bool v) {
  vsync_ = v;
  ResetDevice();
}
void TGfxDevice::SetHardwareTL(bool v) {
  hardwareTL_ = v;
  ResetDevice();
}
void TGfxDevice::SetWidth(int w) {
  width_ = std::max(1, w);
  ResetDevice();
}
void TGfxDevice::SetHeight(int h) {
  height_ = std::max(1, h);
  ResetDevice();
}

bool TGfxDevice::Render(uint32_t background, bool clear) {
  if (!Initialized() || !OnRender || inScene_) return false;
  drawFbo_ = fbo_;
  gl_.BindFramebuffer(GL_FRAMEBUFFER, fbo_);
  if (clear) {
    gl_.Disable(GL_SCISSOR_TEST);
    gl_.ClearColor(((background >> 16) & 0xFF) / 255.0f, ((background >> 8) & 0xFF) / 255.0f,
                   (background & 0xFF) / 255.0f, 1.0f);
    gl_.Clear(GL_COLOR_BUFFER_BIT | (depthRb_ ? GL_DEPTH_BUFFER_BIT : 0));
  }
  inScene_ = true;
  Notify(msgBeginScene);
  OnRender(*this);
  Notify(msgEndScene);
  inScene_ = false;
  return true;
}

bool TGfxDevice::Flip() {
  if (!Initialized()) return false;
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(window_, &dw, &dh);
  gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, drawFbo_);
  gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  gl_.Disable(GL_SCISSOR_TEST);
  gl_.Viewport(0, 0, dw, dh);
  gl_.ClearColor(0, 0, 0, 1);
  gl_.Clear(GL_COLOR_BUFFER_BIT);
  if (dw > 0 && dh > 0) {
    // Keep the aspect: scale to fit, black bars on the remaining sides.
    int64_t sw = dw, sh = static_cast<int64_t>(dw) * height_ / width_;
    if (sh > dh) {
      sh = dh;
      sw = static_cast<int64_t>(dh) * width_ / height_;
    }
    int x0 = static_cast<int>((dw - sw) / 2), y0 = static_cast<int>((dh - sh) / 2);
    bool exact = sw == width_ && sh == height_;
    gl_.BlitFramebuffer(0, 0, width_, height_, x0, y0, x0 + static_cast<int>(sw), y0 + static_cast<int>(sh),
                        GL_COLOR_BUFFER_BIT, exact ? GL_NEAREST : GL_LINEAR);
  }
  SDL_GL_SwapWindow(window_);
  gl_.BindFramebuffer(GL_FRAMEBUFFER, fbo_);
  gl_.Viewport(0, 0, width_, height_);
  return true;
}

bool TGfxDevice::ReadBackBuffer(std::vector<uint32_t>& out) { return ReadFramebuffer(fbo_, out); }

bool TGfxDevice::ReadPresentedBuffer(std::vector<uint32_t>& out) { return ReadFramebuffer(drawFbo_, out); }

bool TGfxDevice::ReadFramebuffer(GLuint fbo, std::vector<uint32_t>& out) {
  out.clear();
  if (!Initialized()) return false;
  gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  gl_.PixelStorei(GL_PACK_ALIGNMENT, 4);
  std::vector<uint32_t> raw(static_cast<size_t>(width_) * height_);
  gl_.ReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, raw.data());
  gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
  out.resize(raw.size());
  for (int y = 0; y < height_; ++y)
    std::copy_n(&raw[static_cast<size_t>(height_ - 1 - y) * width_], width_, &out[static_cast<size_t>(y) * width_]);
  for (uint32_t& p : out) p |= 0xFF000000u;
  return gl_.GetError() == GL_NO_ERROR;
}

}  // namespace qel
