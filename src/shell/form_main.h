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
#include "base/game_paths.h"
#include "elements/particles.h"
#include "gamedb/image_cache.h"
#include "gamedb/sound_cache.h"
#include "render/audio.h"
#include "hostapi/clock.h"
#include "hostapi/host_services.h"
#include "render/gfx_canvas.h"
#include "render/gfx_device.h"
#include "render/gfx_fonts.h"
#include "render/gfx_images.h"
#include "render/gfx_timer.h"
#include "render/overlay_text.h"
#include "render/res_db.h"
#include "script/interpreter_pool.h"
#include "shell/frame_stats.h"
#include "shell/inspector.h"
#include "shell/notices.h"

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
  std::string audioOut;  // WAV file the mixed audio is written to
  const Clock* clock = nullptr;  // what Now, Date and Time read, when not the system's (or --now)
  std::function<void(TScriptCalc&)> extraFunctions;  // host functions a test build adds
};

class TFormMain {
 public:
  explicit TFormMain(FormSettings settings);
  ~TFormMain();
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

  // One frame cleared to black, presented when asked (the root's progress frames).
  void RenderFrame(bool present);

  // A message of the player's own over the picture for `seconds` (not in screenshots).
  void ShowNotice(std::string utf8, double seconds = 2.0);
  // The inspector for game authors (Ctrl+Alt+I); a paused game shows the change at once.
  void ToggleInspector();
  Inspector& GameInspector() { return inspector_; }

  TGfxDevice& Device() { return device_; }
  TGfxTimer& Timer() { return timer_; }
  Runtime& runtime() { return runtime_; }
  TQelDB* Root() { return root_.get(); }
  int32_t LogoIndex() const { return logoIndex_; }
  int32_t LogoFrame() const { return logoFrame_; }
  AudioMixer& Audio() { return audio_; }

 private:
  void DeviceInitialize(bool& success);
  void StartGame();
  void OpenAudio();
  void ConnectServices(const std::filesystem::path& gameDir);
  void ApplyDisplayMode(bool fullScreen);
  void LogoStep();
  void RenderLogo();
  void RenderPlay();
  void RenderLoading();
  // The player's own layer over the game's picture: notices (and the inspector).
  void DrawOverlays();
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
  std::unique_ptr<OverlayText> overlayText_;
  Notices notices_;
  bool overlayFontTold_ = false;
  TResDb resDb_;
  FixedClock fixedClock_;
  HostServices hostServices_;
  Runtime runtime_;
  Inspector inspector_{runtime_};  // listens to script errors from the start
  FrameStats stats_;
  AudioMixer audio_;
  std::unique_ptr<GameDir> dir_;
  std::unique_ptr<ImageCache> imageCache_;
  std::unique_ptr<SoundCache> soundCache_;
  std::unique_ptr<TQelDB> root_;
  std::unique_ptr<InterpreterPool> pool_;

  int32_t logoIndex_ = 0;
  int32_t logoFrame_ = 0;
  TQelIm* logoImage_ = nullptr;  // the current logo's image-cache entry
  TQelIm* particles_ = nullptr;  // particles.bmp: stars and particle effects
  ParticleManager particleManager_;
  bool gameInitDone_ = false;
  bool screenShowDone_ = false;
  bool closed_ = false;
  bool started_ = false;  // the game is loaded and the timer runs
};

}  // namespace qel
