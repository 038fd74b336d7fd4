// Pipe rotation on 6 rows of 6 tiles. A tile's Tag lists its openings as
// four characters "1"/"0" for the right, lower, left and upper side. The
// flow enters the top-left tile from above and must leave the bottom-right
// tile downwards without spilling anywhere.
#include <array>
#include <string>

#include "elements/kinds.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

constexpr int kSide = 6;
constexpr int kTilePixels = 75;
enum Side { kRight, kLower, kLeft, kUpper };
constexpr int kRowStep[4] = {0, 1, 0, -1};
constexpr int kColStep[4] = {1, 0, -1, 0};

using Tiles = std::array<std::array<TQelElement*, kSide>, kSide>;

bool InGrid(int r, int c) { return r >= 0 && r < kSide && c >= 0 && c < kSide; }

bool Open(const Tiles& tiles, int r, int c, int side) {
  const TQelElement* tile = InGrid(r, c) ? tiles[r][c] : nullptr;
  return tile && static_cast<int>(tile->Tag.size()) > side && tile->Tag[side] == '1';
}

// What a side of a tile faces: the facing side of its neighbour; outside
// the grid nothing, except the entry above the first tile and the exit
// below the last.
bool Facing(const Tiles& tiles, int r, int c, int side) {
  const int nr = r + kRowStep[side], nc = c + kColStep[side];
  if (!InGrid(nr, nc)) return (r == 0 && c == 0 && side == kUpper) || (r == kSide - 1 && c == kSide - 1 && side == kLower);
  return Open(tiles, nr, nc, (side + 2) % 4);
}

int64_t Modulo90(int64_t degrees) { return (degrees % 90 + 90) % 90; }

// A tile between quarter turns turns on; arriving at one, its openings turn with it.
void Turn(TQelElement* tile) {
  auto angle = ReadNumber(tile, "ANGLE");
  if (!angle || Modulo90(RoundToInt(*angle)) == 0) return;
  WriteValue(tile, "ANGLE", Variant::Float(*angle + 10));
  if (Modulo90(RoundToInt(*angle + 10)) == 0 && !tile->Tag.empty())
    tile->Tag = tile->Tag.back() + tile->Tag.substr(0, tile->Tag.size() - 1);
}

std::array<std::array<bool, kSide>, kSide> Flood(const Tiles& tiles) {
  std::array<std::array<bool, kSide>, kSide> reached{};
  if (!Open(tiles, 0, 0, kUpper)) return reached;
  reached[0][0] = true;
  std::array<std::pair<int, int>, kSide * kSide> queue;
  int head = 0, tail = 0;
  queue[tail++] = {0, 0};
  while (head < tail) {
    const auto [r, c] = queue[head++];
    for (int side = 0; side < 4; ++side) {
      const int nr = r + kRowStep[side], nc = c + kColStep[side];
      if (!InGrid(nr, nc) || reached[nr][nc] || !Open(tiles, r, c, side) || !Facing(tiles, r, c, side)) continue;
      reached[nr][nc] = true;
      queue[tail++] = {nr, nc};
    }
  }
  return reached;
}

}  // namespace

void PipesStep(TQelImage& controller) {
  Tiles tiles{};
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) tiles[r][c] = ChildAt(ChildAt(&controller, r), c);
  for (const auto& row : tiles)
    for (TQelElement* tile : row)
      if (tile) Turn(tile);

  const auto reached = Flood(tiles);
  TQelElement* overlay = PathElement(&controller, ".LL");
  bool openEnd = false;
  TQelElement* marker = PathElement(&controller, ".PROT");
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      TQelElement* tile = tiles[r][c];
      if (!tile) continue;
      if (TQelElement* shadow = ChildAt(ChildAt(overlay, r), c)) {
        if (auto angle = ReadValue(tile, "ANGLE")) WriteValue(shadow, "ANGLE", *angle);
        if (auto anim = AnimOf(tile)) SetAnim(shadow, *anim + 6);
        SetTrans(shadow, reached[r][c] ? 255 : 0);
      }
      for (int side = 0; side < 4 && reached[r][c] && !openEnd; ++side) {
        if (!Open(tiles, r, c, side) || Facing(tiles, r, c, side)) continue;
        openEnd = true;
        if (!marker) continue;
        SetX(marker, static_cast<int64_t>(c) * kTilePixels);
        SetY(marker, static_cast<int64_t>(r) * kTilePixels);
        WriteValue(marker, "ANGLE", Variant::Float(side * 90.0));
      }
    }
  SetVisible(marker, openEnd);
  const bool through = reached[kSide - 1][kSide - 1] && Open(tiles, kSide - 1, kSide - 1, kLower);
  SetTrans(PathElement(&controller, ".END"), through ? 255 : 0);
  if (through && !openEnd) WritePathInteger(&controller, "QELDB.LOGINTERFACE.WIN", 1);
}

}  // namespace qel
