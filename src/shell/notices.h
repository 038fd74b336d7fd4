#pragma once
// Short messages of the player's own ("report saved ..."), shown over the
// game picture for a moment of wall time. They are no part of the game: its
// state, screenshots and replays never see them.
#include <chrono>
#include <string>
#include <vector>

namespace qel {

class OverlayText;
class TGfx2D;

class Notices {
 public:
  using Clock = std::chrono::steady_clock;

  void Show(std::string utf8, double seconds, Clock::time_point now = Clock::now());
  // Drops the notices whose time is over; true while one remains.
  bool Active(Clock::time_point now = Clock::now());
  // The live notices, one box at the bottom centre of a width x height picture, newest last.
  void Draw(TGfx2D& canvas, OverlayText& text, int width, int height) const;

 private:
  struct Notice {
    std::string text;
    Clock::time_point until;
  };
  std::vector<Notice> notices_;
};

}  // namespace qel
