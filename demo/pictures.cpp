#include "pictures.h"

#include <cmath>

#include "paint.h"

namespace demo {

uint32_t MenuBackground(int x, int y) {
  if (y >= 40 && y < 150) {
    if (y < 42 || y >= 148) return Rgb(200, 170, 90);
    return Rgb(38, 50, 104);
  }
  // Low hills along the bottom edge.
  const double hill = 660 + 30 * std::sin(x / 140.0) + 18 * std::sin(x / 53.0 + 1.0);
  if (y > hill) return Rgb(20, 26, 58);
  return Rgb(26, 34, 74);
}

// A room: a wall with a wainscot, a floor in perspective, a window of sky.
uint32_t RoomBackground(int x, int y) {
  if (y > 560) {
    const double d = (y - 560) / 208.0;
    const bool board = (static_cast<int>((x - 512) / (1.0 + 3 * d) + 4096) / 64) % 2 == 0;
    return Rgb(110 + 50 * d + (board ? 12 : 0), 70 + 30 * d, 40 + 10 * d);
  }
  if (x > 130 && x < 430 && y > 110 && y < 410 && !(x > 140 && x < 420 && y > 120 && y < 400))
    return Rgb(235, 230, 215);  // window frame
  if (x > 140 && x < 420 && y > 120 && y < 400) {
    if (std::abs(x - 280) < 4 || std::abs(y - 260) < 4) return Rgb(230, 225, 210);
    return Rgb(120 + (400 - y) / 3.0, 170 + (400 - y) / 4.0, 235);
  }
  const double shade = 1.0 - std::abs(x - 512) / 1400.0;
  if (y > 470) return Rgb(90 * shade, 110 * shade, 90 * shade);
  if (y > 462) return Rgb(150 * shade, 140 * shade, 110 * shade);
  return Rgb(190 * shade, 180 * shade, 150 * shade);
}

uint32_t PuzzleBackground(int x, int y) {
  const double r = std::hypot(x - 512.0, y - 370.0);
  const double k = Inside(std::abs(r - 230) - 1.5);
  return Over(Rgb(18, 46, 52), Rgb(32, 74, 80), k);
}

uint32_t Logo1(int x, int y) {
  const double dx = x - 512, dy = y - 384, r = std::hypot(dx, dy);
  uint32_t c = Rgb(20, 24, 48);
  const double ray = std::cos(12 * std::atan2(dy, dx));
  if (r > 180 && r < 300) c = Over(c, Rgb(240, 170, 50), Inside(std::abs(ray) < 0.85 ? 1 : -1) * (300 - r) / 120);
  c = Over(c, Rgb(255, 255, 255), Inside(r - 172));
  c = Over(c, Rgb(240, 180 - r / 2, 40), Inside(r - 150));
  return c;
}

uint32_t Logo2(int x, int y) {
  const double dx = x - 512, dy = y - 384;
  uint32_t c = Rgb(16, 40, 36);
  const double ring = std::abs(std::hypot(dx, dy) - 160) - 22;
  c = Over(c, Rgb(90, 210, 160), Inside(ring));
  const double diamond = (std::abs(dx) + std::abs(dy)) / std::sqrt(2.0) - 70;
  c = Over(c, Rgb(230, 240, 200), Inside(diamond));
  // The tail of the letter: a bar leaving the ring at the lower right.
  const double u = (dx + dy) / std::sqrt(2.0), v = (dx - dy) / std::sqrt(2.0);
  c = Over(c, Rgb(90, 210, 160), Inside(std::max(std::abs(v) - 20, std::abs(u - 200) - 50)));
  return c;
}

uint32_t Door(int x, int y) {
  const bool frame = x < 8 || x >= 112 || y < 8;
  if (frame) return Rgb(60, 35, 20);
  if (std::hypot(x - 92, y - 130) < 7) return Rgb(230, 200, 80);
  const bool panel = (x > 20 && x < 100) && ((y > 25 && y < 110) || (y > 150 && y < 225));
  return panel ? Rgb(135, 80, 45) : Rgb(115, 68, 38);
}

uint32_t Key(int x, int y) {
  const uint32_t gold = Rgb(225, 185, 60);
  const double bow = std::abs(std::hypot(x - 14.0, y - 16.0) - 9) - 4;
  const double shaft = RoundRect(x, y, 22, 13, 62, 19, 2);
  const double bit1 = RoundRect(x, y, 44, 18, 50, 28, 1), bit2 = RoundRect(x, y, 54, 18, 60, 26, 1);
  const double d = std::min({bow, shaft, bit1, bit2});
  return Over(0, gold, Inside(d));
}

uint32_t Apple(int x, int y) {
  const double body = std::min(std::hypot(x - 18.0, y - 28.0), std::hypot(x - 30.0, y - 28.0)) - 15;
  uint32_t c = Over(0, Rgb(200, 30 + (y - 12) * 0.8, 35), Inside(body));
  c = Over(c, Rgb(255, 200, 200), Inside(std::hypot(x - 17.0, y - 22.0) - 3) * 0.7);
  c = Over(c, Rgb(90, 60, 30), Inside(RoundRect(x, y, 23, 4, 26, 15, 1)));
  c = Over(c, Rgb(60, 160, 60), Inside(std::hypot((x - 32.0) / 2, y - 8.0) - 3));
  return c;
}

uint32_t Gem(int x, int y) {
  const double dx = x - 24.0, dy = y - 24.0;
  const double d = std::max(std::abs(dx) * 0.9 + std::abs(dy) * 0.75, std::abs(dy) * 1.3) - 20;
  const double facet = (dx > 0) == (dy > 0) ? 1.0 : 0.75;
  return Over(0, Rgb(60 * facet, 200 * facet, 230 * facet), Inside(d));
}

uint32_t Lamp(int x, int y) {
  uint32_t c = Over(0, Rgb(255, 200, 90), Inside(std::hypot((x - 20) / 0.7, y - 14.0) - 10) * 0.5);
  c = Over(c, Rgb(255, 235, 150), Inside(std::hypot((x - 20) / 0.6, y - 16.0) - 6));
  c = Over(c, Rgb(235, 225, 200), Inside(RoundRect(x, y, 12, 24, 28, 70, 2)));  // candle
  c = Over(c, Rgb(160, 120, 60), Inside(RoundRect(x, y, 17, 70, 23, 112, 1)));  // stand
  c = Over(c, Rgb(120, 90, 45), Inside(RoundRect(x, y, 4, 110, 36, 120, 3)));   // foot
  return c;
}

uint32_t Bird(int x, int y) {
  const double body = std::hypot((x - 32) / 2.2, y - 18.0) - 6;
  const double wing = std::max(std::abs(x - 32.0) - 28, std::abs(y - 14 + std::abs(x - 32.0) * 0.25) - 3);
  return Over(0, Rgb(40, 50, 80), Inside(std::min(body, wing)));
}

uint32_t Node(int x, int y) {
  const double r = std::hypot(x - 12.5, y - 12.5);
  uint32_t c = Over(0, Rgb(70, 50, 20), Inside(r - 12));
  return Over(c, Rgb(240, 200 - r * 2, 80), Inside(r - 9.5));
}

namespace {

// Distance to the arrow outline: a triangle with a short tail.
double ArrowShape(double x, double y) {
  const double head = std::max({-x, (x - y * 0.8) / 1.28, y - 22});
  const double tail = RoundRect(x, y, 7, 12, 12, 28, 1);
  return std::min(head, tail);
}

}  // namespace

uint32_t Arrow(int x, int y) {
  const double d = ArrowShape(x + 0.5, y + 0.5);
  uint32_t c = Over(0, Rgb(0, 0, 0), Inside(d - 1.5));
  return Over(c, Rgb(255, 255, 255), Inside(d + 0.5));
}

uint32_t Hand(int x, int y) {
  // A pointing finger (tip at the top left) on a round palm.
  const double finger = RoundRect(x, y, 0, 0, 8, 18, 4);
  const double palm = RoundRect(x, y, 0, 12, 22, 30, 6);
  const double d = std::min(finger, palm);
  uint32_t c = Over(0, Rgb(40, 30, 20), Inside(d - 1.5));
  return Over(c, Rgb(250, 220, 170), Inside(d + 0.5));
}

uint32_t Button(int x, int y, int w, int h) {
  const double d = RoundRect(x + 0.5, y + 0.5, 0, 0, w, h, 10);
  uint32_t c = Over(0, Rgb(200, 220, 255), Inside(d));
  return Over(c, Rgb(70, 110, 170), Inside(d + 3));
}

uint32_t Particles(int x, int y) {
  const int pattern = x / 32;
  const double dx = x % 32 - 15.5, dy = y - 15.5, r = std::hypot(dx, dy);
  double v = 0;
  switch (pattern) {
    case 0: v = std::exp(-r * r / 60); break;                                   // soft glow
    case 1: v = Inside(r - 4);  break;                                            // dot
    case 2: v = std::max(std::exp(-std::abs(dx) * 0.9) * std::exp(-dy * dy / 90),  // four-point star
                         std::exp(-std::abs(dy) * 0.9) * std::exp(-dx * dx / 90)); break;
    default: v = Inside(std::abs(r - 10) - 1.5); break;                         // ring
  }
  return Rgb(255 * v, 255 * v, 255 * v);
}

}  // namespace demo
