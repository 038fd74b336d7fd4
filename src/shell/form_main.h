#pragma once
// The player's window and everything it owns: the render device, frame
// timer, canvas, textures, fonts, resource archive, the interpreters and the
// game's root. Start-up, the frame loop with the logo sequence, the display
// mode, input routing and teardown are its operations, in the order of steps
// the game relies on.
#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <memory>
#include <string>

#include "elements/qel_db.h"
#include "elements/shell_host.h"
#include "hostapi/clock.h"
#include "hostapi/host_services.h"
#include "render/gfx_canvas.h"
#include "render/gfx_device.h"
#include "render/gfx_fonts.h"
#include "render/gfx_images.h"
#include "render/gfx_timer.h"
#include "render/res_db.h"
#include "script/interpreter_pool.h"
#include "shell/logo_pictures.h"

namespace qel {

struct FormSettings {
  std::filesystem::path gameFile;  // empty: no game
  bool testMode = false;
  bool headless = false;
  bool virtualClock = false;       // one process step per frame, whatever the time
  int windowedOverride = -1;       // -1 from the settings, 0 full screen, 1 windowed
  std::optional<uint32_t> seed;
  std::optional<double> now;
  std::optional<uint64_t> scriptBudget;  // statements a script run may take (0: no limit)
};

class TFormMain : public ShellHost {
 public:
  explicit TFormMain(FormSettings settings);
  ~TFormMain() override;
  TFormMain(const TFormMain&) = delete;
  TFormMain& operator=(const TFormMain&) = delete;

  // Window creation: audio, then the device, whose ready callback starts the
  // game. False when the device cannot be initialised (the message is shown).
  bool FormCreate();
  // Teardown: timer off, the exit script, interpreters and tree freed. Once.
  void FormClose();
  bool Closed() const { return closed_; }

  // --- frame loop ---
  void TimerTimer();    // one frame: render, the due process steps, present
  void TimerProcess();  // one process step
  void DeviceRender();
  void FormPaint();
  void FlWin();
  // Ends the logo sequence at once, as its last step would.
  void SkipLogos();
  // Headless and replayed runs: render the frame (no present).
  void RenderOnly();
  void Present() { device_.Flip(); }
  // Called after each frame's render, before its process steps (screenshots).
  std::function<void()> AfterRender;
  // Process steps beyond this many are not run (--frames in a window).
  int64_t StepLimit = INT64_MAX;

  // --- input (positions in back-buffer pixels) ---
  void FormMouseMove(int32_t x, int32_t y);
  void FormMouseDown(int32_t x, int32_t y);
  void FormMouseUp(int32_t x, int32_t y);
  void FormKeyDown(int32_t key, bool alt, bool ctrl, bool shift);
  void WMChar(uint16_t unit);
  void WMActivate(bool active);

  // --- ShellHost ---
  void RenderFrame(bool present) override;
  void ResetFrameTimer() override { timer_.Reset(); }

  TGfxDevice& Device() { return device_; }
  TGfxTimer& Timer() { return timer_; }
  Runtime& runtime() { return runtime_; }
  TQelDB* Root() { return root_.get(); }
  int32_t LogoIndex() const { return logoIndex_; }
  int32_t LogoFrame() const { return logoFrame_; }
  // Whether audio output could be opened (a failure leaves the game silent).
  bool AudioOpen() const { return audioOpen_; }

 private:
  void DeviceInitialize(bool& success);
  void StartGame();
  void OpenAudio();
  void LogoStep();
  void RenderLogo();
  void RenderPlay();
  void RenderLoading();
  TQelElement* Screen() const { return runtime_.Resolve(runtime_.shell.CurrentScreen); }
  TQelElement* LoadingScreen() const;
  TQelElement* HitTest(int32_t x, int32_t y) const;

  FormSettings settings_;
  std::unique_ptr<TVirtualClock> virtualClock_;
  TGfxDevice device_;
  TGfxTimer timer_;
  std::unique_ptr<TGfxCanvas> canvas_;
  std::unique_ptr<TGfxImages> images_;
  std::unique_ptr<TGfxFonts> fonts_;
  TResDb resDb_;
  FixedClock fixedClock_;
  HostServices hostServices_;
  Runtime runtime_;
  std::unique_ptr<TQelDB> root_;
  std::unique_ptr<InterpreterPool> pool_;
  std::unique_ptr<LogoPictures> logos_;

  int32_t logoIndex_ = 0;
  int32_t logoFrame_ = 0;
  const TGfxImage* logoImage_ = nullptr;
  bool gameInitDone_ = false;
  bool screenShowDone_ = false;
  bool audioOpen_ = false;
  bool closed_ = false;
};

}  // namespace qel
