// Crossing segments and the two crossing-lines graphs.
#include <cmath>
#include <numbers>

#include "hostapi/puzzle_routines.h"
#include "puzzle_fixture.h"

namespace qel::test {
namespace {

TEST(SegmentsCross, CrossingTouchingSharedAndParallel) {
  const GridPoint a{0, 0}, b{10, 10}, c{0, 10}, d{10, 0};
  EXPECT_TRUE(SegmentsCross(a, b, c, d));  // an X, either way round
  EXPECT_TRUE(SegmentsCross(c, d, a, b));
  EXPECT_TRUE(SegmentsCross(b, a, d, c));
  EXPECT_FALSE(SegmentsCross(a, b, b, d));  // meeting at a shared node
  EXPECT_FALSE(SegmentsCross(a, b, GridPoint{2, 2}, GridPoint{20, 20}));  // collinear, overlapping
  EXPECT_FALSE(SegmentsCross(a, b, GridPoint{0, 1}, GridPoint{10, 11}));  // parallel, boxes overlapping
  EXPECT_TRUE(SegmentsCross(GridPoint{0, 0}, GridPoint{10, 0}, GridPoint{10, -5}, GridPoint{10, 5}));  // an end on the other
  EXPECT_TRUE(SegmentsCross(GridPoint{0, 0}, GridPoint{10, 0}, GridPoint{5, 0}, GridPoint{5, 5}));
  EXPECT_FALSE(SegmentsCross(GridPoint{0, 0}, GridPoint{10, 0}, GridPoint{11, -5}, GridPoint{11, 5}));  // apart
  EXPECT_FALSE(SegmentsCross(GridPoint{0, 0}, GridPoint{10, 10}, GridPoint{0, 3}, GridPoint{4, 20}));  // boxes overlap only
}

class Web : public PuzzleScene {
 protected:
  // Nodes 0..7 on a regular octagon round (300, 300), hubs inside.
  void Build(int nodes) {
    web = Make(screen, "Web");
    holder = Make(web, "Nodes");
    for (int i = 0; i < nodes && i < 8; ++i) {
      const double a = i * std::numbers::pi / 4;
      Make(holder, "N", std::nearbyint(300 + 200 * std::cos(a)), std::nearbyint(300 + 200 * std::sin(a)));
    }
    Var(web, "WIN", -1);
    Var(web, "DT", 0);
  }
  void Place(int node, double x, double y) {
    holder->Child(node)->SetX(x);
    holder->Child(node)->SetY(y);
  }
  void SwapRingNodes() {
    TQelElement* a = holder->Child(0);
    TQelElement* b = holder->Child(2);
    const double ax = a->rX, ay = a->rY;
    Place(0, b->rX, b->rY);
    Place(2, ax, ay);
  }
  TQelImage* web = nullptr;
  TQelImage* holder = nullptr;
};

TEST_F(Web, TheOneHubGraphIsSolvedWhenNoLinesCross) {
  Build(8);
  Make(holder, "Hub", 300, 300);
  WebCheck(*web, WebGraph::OneHub);
  EXPECT_EQ(Int(web, "WIN"), 1);
  SwapRingNodes();
  WebCheck(*web, WebGraph::OneHub);
  EXPECT_EQ(Int(web, "WIN"), 0);
}

TEST_F(Web, TheTwoHubGraphIsSolvedWhenNoLinesCross) {
  Build(8);
  Make(holder, "Hub1", 300, 350);  // below the centre, joined to nodes 0..3
  Make(holder, "Hub2", 300, 250);  // above, joined to nodes 4..7
  WebCheck(*web, WebGraph::TwoHubs);
  EXPECT_EQ(Int(web, "WIN"), 1);
  Place(8, 300, 200);  // the line to node 2 now runs through the other hub
  WebCheck(*web, WebGraph::TwoHubs);
  EXPECT_EQ(Int(web, "WIN"), 0);
}

TEST_F(Web, TooFewNodesLeaveTheFlagAndDrawNothing) {
  Build(8);
  WebCheck(*web, WebGraph::OneHub);
  EXPECT_EQ(Int(web, "WIN"), -1);
  Make(holder, "Hub", 300, 300);
  WebCheck(*web, WebGraph::TwoHubs);
  EXPECT_EQ(Int(web, "WIN"), -1);
  WebDraw(*web, WebGraph::TwoHubs, outlets);
  EXPECT_TRUE(outlets.triangles.empty());
}

TEST_F(Web, EachLineIsDrawnAsABandInItsStateColourThenInThePulsingGrey) {
  Build(8);
  Make(holder, "Hub", 300, 300);
  Var(web, "DT", 70);  // 70 mod 60 = 10: grey 112 - 10
  WebDraw(*web, WebGraph::OneHub, outlets);
  ASSERT_EQ(outlets.triangles.size(), 16u * 4);
  for (size_t i = 0; i < outlets.triangles.size(); i += 4) {
    EXPECT_EQ(outlets.triangles[i].argb, 0x7F00FF00u);
    EXPECT_EQ(outlets.triangles[i].effect, 1284u);
    EXPECT_EQ(outlets.triangles[i + 2].argb, 0xFF666666u);
    EXPECT_EQ(outlets.triangles[i + 2].effect, 260u);
  }
  // The first line, node 0 to node 1 moved by (13, 13): its band's corner
  // lies 3 px from the start, square to the line.
  const double px = 500 + 13, py = 300 + 13, qx = 441 + 13, qy = 441 + 13;
  const Triangle& t = outlets.triangles[0];
  EXPECT_NEAR(std::hypot(t.x1 - px, t.y1 - py), 3, 1e-9);
  EXPECT_NEAR((t.x1 - px) * (qx - px) + (t.y1 - py) * (qy - py), 0, 1e-9);

  outlets.triangles.clear();
  SwapRingNodes();
  Var(web, "DT", 45);  // 45 - 30 + 83
  WebDraw(*web, WebGraph::OneHub, outlets);
  int crossing = 0;
  for (size_t i = 0; i < outlets.triangles.size(); i += 4) {
    crossing += outlets.triangles[i].argb == 0x7F0000FFu;
    EXPECT_EQ(outlets.triangles[i + 2].argb, 0xFF626262u);
  }
  EXPECT_GT(crossing, 0);
}

}  // namespace
}  // namespace qel::test
