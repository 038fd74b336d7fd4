#pragma once
// The game-specific puzzle routines: per-tick logic of some mini-games,
// each bound to the element layout of one scene. They find their pieces by
// child position and Id, keep their state in element variables, and report
// results through variables the scene's scripts watch. Pieces a scene lacks
// are skipped; nothing is read past a list or through a nil element.
#include <cstdint>

#include "hostapi/puzzle_outlets.h"

namespace qel {

class TQelElement;
class TQelImage;
class TQelScreen;

// Falling-tile columns: the column's children are the tiles.
void DropColumnsStep(TQelImage& column);
void DropColumnsStepB(TQelImage& column);
// Groups of equal pictures on the 9 x 9 grid of rows "L1" .. "L9" beside e.
void MarkGroups(TQelElement& e);

// Dragging towards the mouse, kept apart from the siblings and inside a shape.
void DragInRing(TQelImage& image);
void DragInOval(TQelImage& image);

// Crossing-lines graphs over the nodes held by the image's first child: a
// ring of 8 with one hub (WebGraph::OneHub, 9 nodes) or two (10 nodes).
enum class WebGraph { OneHub, TwoHubs };
void WebDraw(TQelImage& image, WebGraph graph, PuzzleOutlets& outlets);
void WebCheck(TQelImage& image, WebGraph graph);
struct GridPoint {
  int64_t x = 0, y = 0;
  bool operator==(const GridPoint&) const = default;
};
// Whether two segments cross, ends included; segments sharing an endpoint
// and parallel segments never do.
bool SegmentsCross(GridPoint p1, GridPoint p2, GridPoint q1, GridPoint q2);

// Disc stacking: carry, bob, move over the target pole, drop and land.
void TowerStep(TQelImage& controller, PuzzleOutlets& outlets);
void SortStackStep(TQelImage& controller);
// Pipe rotation on 6 rows of 6 tiles, with the flow traced from the top left.
void PipesStep(TQelImage& controller);

// Scoring of the items of a screen, of the level screens, and the bar.
void ScreenScore(TQelScreen& screen);
void MapScore(TQelImage& map);
void ProgressBarUpdate(TQelImage& bar);

// Shelf rows climbing and drifting; a panel sliding in.
void ShelfRowsStep(TQelImage& shelf);
void SlideInStep(TQelImage& panel);

// Star emitters over the image's picture.
void SparkRiseEdge(TQelImage& image, PuzzleOutlets& outlets);
void SparkRiseTop(TQelImage& image, PuzzleOutlets& outlets);
void SparkCover(TQelImage& image, int32_t grid, PuzzleOutlets& outlets);

// The list of items to find, and the pairs check.
void InventoryUpdate(TQelImage& image);
void PairsStep(TQelImage& image, PuzzleOutlets& outlets);

}  // namespace qel
