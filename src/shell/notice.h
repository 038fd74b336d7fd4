#pragma once
// A short message the player shows its user for a while ("report saved").
// It never reaches the game, its pictures or its recording.
#include <SDL2/SDL.h>

#include <cstdint>
#include <string>

namespace qel {

class Notice {
 public:
  static constexpr uint32_t kShowMs = 2000;
  virtual ~Notice() = default;
  virtual void Show(const std::string& text) = 0;
  // Once a frame: ends the message when its time is up.
  virtual void Update() = 0;
};

// Shows the message in the window's title.
class TitleNotice : public Notice {
 public:
  explicit TitleNotice(SDL_Window* window) : window_(window) {}
  ~TitleNotice() override;
  void Show(const std::string& text) override;
  void Update() override;

 private:
  void Restore();

  SDL_Window* window_;
  std::string title_;  // the game's title while a message shows
  uint64_t until_ = 0;
  bool showing_ = false;
};

}  // namespace qel
