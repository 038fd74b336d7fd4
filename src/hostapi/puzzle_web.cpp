// Crossing-lines puzzles: nodes joined in a ring of eight plus one or two
// hubs; the player drags nodes until no two lines cross.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "elements/kinds.h"
#include "hostapi/puzzle_routines.h"
#include "hostapi/puzzle_scene.h"

namespace qel {
namespace {

struct Edge {
  int from, to;
};

std::vector<Edge> GraphEdges(WebGraph graph) {
  std::vector<Edge> edges;
  for (int i = 0; i < 8; ++i) edges.push_back({i, (i + 1) % 8});
  if (graph == WebGraph::OneHub) {
    for (int i = 0; i < 8; ++i) edges.push_back({i, 8});
  } else {
    for (int i = 0; i < 8; ++i) edges.push_back({i, i < 4 ? 8 : 9});
    edges.push_back({8, 9});
  }
  return edges;
}

int NodeCount(WebGraph graph) { return graph == WebGraph::OneHub ? 9 : 10; }

int64_t Cross(int64_t ax, int64_t ay, int64_t bx, int64_t by) { return ax * by - ay * bx; }

// The graph's segments between the nodes' absolute positions plus (c, c);
// empty when the image's first child holds too few nodes.
std::vector<std::pair<GridPoint, GridPoint>> Segments(TQelImage& image, WebGraph graph, int64_t c) {
  TQelElement* holder = ChildAt(&image, 0);
  if (!holder || holder->ChildCount() < NodeCount(graph)) return {};
  std::vector<std::pair<GridPoint, GridPoint>> segments;
  for (Edge e : GraphEdges(graph)) {
    const TQelElement* a = holder->Child(e.from);
    const TQelElement* b = holder->Child(e.to);
    segments.push_back({{a->GetAbsX() + c, a->GetAbsY() + c}, {b->GetAbsX() + c, b->GetAbsY() + c}});
  }
  return segments;
}

std::vector<bool> CrossingEdges(const std::vector<std::pair<GridPoint, GridPoint>>& segments) {
  std::vector<bool> crossing(segments.size(), false);
  for (size_t i = 0; i < segments.size(); ++i)
    for (size_t j = 0; j < segments.size(); ++j)
      if (i != j && SegmentsCross(segments[i].first, segments[i].second, segments[j].first, segments[j].second))
        crossing[i] = crossing[j] = true;
  return crossing;
}

// A band 3 px to either side of the segment, as two triangles.
void DrawBand(TQelElement& from, GridPoint p, GridPoint q, uint32_t argb, uint32_t effect, PuzzleOutlets& outlets) {
  const double dx = static_cast<double>(q.x - p.x), dy = static_cast<double>(q.y - p.y);
  const double length = std::hypot(dx, dy);
  if (length == 0) return;
  const double nx = -dy / length * 3, ny = dx / length * 3;
  const double px = static_cast<double>(p.x), py = static_cast<double>(p.y);
  const double qx = static_cast<double>(q.x), qy = static_cast<double>(q.y);
  outlets.FillTriangle(from, argb, effect, px + nx, py + ny, qx + nx, qy + ny, qx - nx, qy - ny);
  outlets.FillTriangle(from, argb, effect, px + nx, py + ny, qx - nx, qy - ny, px - nx, py - ny);
}

// The grey of the second pass pulses between 83 and 112 over 60 steps.
uint32_t PulseGrey(int64_t dt) {
  const int64_t k = (dt % 60 + 60) % 60;
  const auto g = static_cast<uint32_t>(k < 30 ? 112 - k : k - 30 + 83);
  return 0xFF000000u | g * 0x010101u;
}

}  // namespace

bool SegmentsCross(GridPoint p1, GridPoint p2, GridPoint q1, GridPoint q2) {
  if (p1 == q1 || p1 == q2 || p2 == q1 || p2 == q2) return false;
  if (std::max(p1.x, p2.x) < std::min(q1.x, q2.x) || std::max(q1.x, q2.x) < std::min(p1.x, p2.x) ||
      std::max(p1.y, p2.y) < std::min(q1.y, q2.y) || std::max(q1.y, q2.y) < std::min(p1.y, p2.y))
    return false;
  int64_t d = Cross(p2.x - p1.x, p2.y - p1.y, q2.x - q1.x, q2.y - q1.y);
  if (d == 0) return false;
  int64_t a = Cross(q1.x - p1.x, q1.y - p1.y, q2.x - q1.x, q2.y - q1.y);
  int64_t b = Cross(q1.x - p1.x, q1.y - p1.y, p2.x - p1.x, p2.y - p1.y);
  if (d < 0) {
    d = -d;
    a = -a;
    b = -b;
  }
  return a >= 0 && a <= d && b >= 0 && b <= d;
}

void WebDraw(TQelImage& image, WebGraph graph, PuzzleOutlets& outlets) {
  const auto segments = Segments(image, graph, graph == WebGraph::OneHub ? 13 : 25);
  const auto crossing = CrossingEdges(segments);
  const uint32_t grey = PulseGrey(ReadInteger(&image, "DT").value_or(0));
  for (size_t i = 0; i < segments.size(); ++i) {
    const auto& [p, q] = segments[i];
    DrawBand(image, p, q, crossing[i] ? 0x7F0000FFu : 0x7F00FF00u, 1284, outlets);
    DrawBand(image, p, q, grey, 260, outlets);
  }
}

void WebCheck(TQelImage& image, WebGraph graph) {
  const auto segments = Segments(image, graph, 25);
  if (segments.empty()) return;
  const auto crossing = CrossingEdges(segments);
  bool any = false;
  for (bool c : crossing) any = any || c;
  WriteInteger(&image, "WIN", any ? 0 : 1);
}

}  // namespace qel
