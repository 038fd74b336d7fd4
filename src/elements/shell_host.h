#pragma once
// The seam between the game and the program that shows it (the player):
// what the root and the host functions ask of the window and its frame timer
// while a screen switch loads. Tests and tools may leave it unset.
namespace qel {

class ShellHost {
 public:
  virtual ~ShellHost() = default;
  // Draws one frame of what is shown now, cleared to black; presents it when
  // asked (progress frames while pictures load).
  virtual void RenderFrame(bool present) = 0;
  // The frame timer forgets the time until now, so long work is not caught up.
  virtual void ResetFrameTimer() = 0;
};

}  // namespace qel
