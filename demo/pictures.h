#pragma once
// The demo's pictures, one shader each (pixel of a picture of the listed size).
#include <cstdint>

namespace demo {

uint32_t MenuBackground(int x, int y);    // 1024x768
uint32_t RoomBackground(int x, int y);    // 1024x768
uint32_t PuzzleBackground(int x, int y);  // 1024x768
uint32_t Logo1(int x, int y);             // 1024x768
uint32_t Logo2(int x, int y);             // 1024x768

uint32_t Door(int x, int y);   // 120x240
uint32_t Key(int x, int y);    // 64x32
uint32_t Apple(int x, int y);  // 48x48
uint32_t Gem(int x, int y);    // 48x48
uint32_t Lamp(int x, int y);   // 40x120
uint32_t Bird(int x, int y);   // 64x32
uint32_t Node(int x, int y);   // 26x26
uint32_t Arrow(int x, int y);  // 32x32, tip at (0,0)
uint32_t Hand(int x, int y);   // 32x32, tip at (0,0)
// A button face of any size: blue fill, light rim, rounded corners.
uint32_t Button(int x, int y, int w, int h);
// Four 32x32 particle patterns side by side on black (128x32).
uint32_t Particles(int x, int y);

}  // namespace demo
