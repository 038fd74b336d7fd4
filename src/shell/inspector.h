#pragma once
// The inspector for game authors (Ctrl+Alt+I): over the game's picture it
// shows the element under the mouse (its path, class, Key, place, size and
// picture, its outline and its parents), where the game is (screens, step),
// how fast the player runs and what it holds (textures, particles), and the
// last script errors. It only reads the game: nothing it does reaches the
// game's state, its screenshots or its replays.
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "render/overlay_text.h"
#include "shell/frame_stats.h"

namespace qel {

class ImageCache;
class Runtime;
class TGfx2D;
class TQelDB;
class TQelElement;

// What the inspector looks at in one frame.
struct InspectorView {
  const TQelDB* root = nullptr;
  const TQelElement* screen = nullptr;
  const TQelElement* loadingScreen = nullptr;
  const TQelElement* hovered = nullptr;
  const ImageCache* images = nullptr;
  int64_t particles = 0;  // live particles of every effect
  FrameStats::Rates rates;
  int64_t step = 0;
  int32_t mouseX = 0, mouseY = 0;
  bool loading = false;
  int32_t logoIndex = -1, logoFrame = 0;
};

// A script error as the inspector keeps it.
struct InspectorError {
  int64_t step = 0;
  std::string path, event, statement, message;  // UTF-8
};

class Inspector {
 public:
  // Listens to the runtime's script errors from now on, shown or not.
  explicit Inspector(Runtime& runtime);

  bool Shown() const { return shown_; }
  void SetShown(bool shown) { shown_ = shown; }
  void Toggle() { shown_ = !shown_; }

  // Live particles of every effect under root, counted again at most four times a second:
  // a game may hold hundreds of thousands of elements.
  int64_t Particles(const TQelElement& root);

  // The panels' text.
  std::vector<OverlayLine> StatusLines(const InspectorView& view) const;
  std::vector<OverlayLine> ElementLines(const InspectorView& view) const;
  std::vector<OverlayLine> ErrorLines(size_t count) const;
  const std::deque<InspectorError>& Errors() const { return errors_->list; }  // newest first

  // Draws the outline of the element under the mouse and the panels, on the
  // side of the picture away from the mouse.
  void Draw(TGfx2D& canvas, OverlayText& text, const InspectorView& view, int width, int height) const;

 private:
  // Shared with the runtime's listener, which may outlive the inspector.
  struct ErrorLog {
    std::deque<InspectorError> list;
    size_t total = 0;
  };

  std::shared_ptr<ErrorLog> errors_;
  bool shown_ = false;
  int64_t particles_ = 0;
  std::chrono::steady_clock::time_point particlesCounted_{};
};

// Game text as UTF-8: Windows-1251, or the escaped wide text of unicode games.
std::string ShownText(const ByteString& text);

}  // namespace qel
