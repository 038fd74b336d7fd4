// Layer passes that visit only the layers where something is, against the plain walk
// through every integer between the lowest and highest Order: random trees of
// overlapping, half-transparent boxes (the picture then shows the drawing order), with
// random orders, some set twice so that ranges reach past what is in them.
#include <chrono>
#include <climits>
#include <functional>
#include <random>

#include "draw_fixture.h"

namespace qel::test {
namespace {

struct BoxPlan {
  int parent;  // index into the boxes made before it; -1 for the screen
  double x, y;
  int32_t w, h;
  uint32_t colour;
  std::vector<int32_t> orders;  // set in turn; the last one stays
  bool vis, crop;
};

std::vector<BoxPlan> RandomPlan(uint32_t seed) {
  std::mt19937 rng(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<BoxPlan> plan(static_cast<size_t>(pick(1, 24)));
  for (size_t i = 0; i < plan.size(); ++i) {
    BoxPlan& b = plan[i];
    b.parent = pick(-1, static_cast<int>(i) - 1);
    b.x = pick(-10, 40);
    b.y = pick(-10, 40);
    b.w = pick(1, 30);
    b.h = pick(1, 30);
    b.colour = static_cast<uint32_t>(pick(0x40, 0xE0)) << 24 | static_cast<uint32_t>(pick(0, 0xFFFFFF));
    for (int n = pick(1, 3); n > 0; --n) b.orders.push_back(pick(-6, 6));
    b.vis = pick(0, 9) > 0;
    b.crop = pick(0, 4) == 0;
  }
  return plan;
}

class LayerWalkTest : public DrawTest {
 protected:
  // Makes the planned boxes under the screen, orders passed through `order`.
  void Build(const std::vector<BoxPlan>& plan, const std::function<int32_t(int32_t)>& order) {
    while (screen->ChildCount() > 0) screen->DestroyChild(screen->Child(0));
    boxes.clear();
    for (const BoxPlan& p : plan) {
      TQelElement* parent = p.parent < 0 ? static_cast<TQelElement*>(screen) : boxes[static_cast<size_t>(p.parent)];
      auto* box = static_cast<TQelShape*>(parent->CreateChild("TQelShape"));
      ASSERT_NE(box, nullptr);
      box->rX = p.x;
      box->rY = p.y;
      box->SizeX = p.w;
      box->SizeY = p.h;
      box->Color = p.colour;
      box->Vis = p.vis;
      box->Crop = p.crop;
      for (int32_t o : p.orders) box->SetOrder(order(o));
      boxes.push_back(box);
    }
  }
  // Index of what a probe hits: -1 nothing, 0 the screen, 1 + n the n-th box.
  std::vector<int> Hits() {
    std::vector<int> out;
    for (int y = -2; y < 72; y += 3)
      for (int x = -2; x < 72; x += 3) {
        TQelElement* e = Hit(x, y);
        int index = e == screen ? 0 : -1;
        for (size_t i = 0; i < boxes.size(); ++i)
          if (boxes[i] == e) index = static_cast<int>(i) + 1;
        out.push_back(index);
      }
    return out;
  }
  struct Outcome {
    std::vector<uint32_t> pixels;
    std::vector<int> hits;
  };
  Outcome Run(bool skip) {
    db.runtime().skipEmptyLayers = skip;
    Frame();
    return {pixels, Hits()};
  }

  std::vector<TQelShape*> boxes;
};

TEST_F(LayerWalkTest, SkippingEmptyLayersDrawsAndHitsAsTheFullWalk) {
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE(seed);
    Build(RandomPlan(seed), [](int32_t o) { return o; });
    const Outcome skipping = Run(true), full = Run(false);
    ASSERT_EQ(skipping.pixels, full.pixels);
    ASSERT_EQ(skipping.hits, full.hits);
  }
}

// Orders spread over the whole 32-bit range in the same sequence give the same picture
// and hits as the tame ones, and take no longer than a few frames.
TEST_F(LayerWalkTest, HostileOrdersCostNoMoreThanTameOnes) {
  auto spread = [](int32_t o) {
    return o == -6 ? INT32_MIN : o == 6 ? INT32_MAX : o * 350'000'000;  // keeps 0 and the order of all
  };
  // Every tame walk first: afterwards the root's range covers the whole 32 bits.
  std::vector<Outcome> tame;
  for (uint32_t seed = 1; seed <= 10; ++seed) {
    Build(RandomPlan(seed), [](int32_t o) { return o; });
    tame.push_back(Run(false));
  }
  for (uint32_t seed = 1; seed <= 10; ++seed) {
    SCOPED_TRACE(seed);
    Build(RandomPlan(seed), spread);
    const auto start = std::chrono::steady_clock::now();
    const Outcome hostile = Run(true);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(hostile.pixels, tame[seed - 1].pixels);
    ASSERT_EQ(hostile.hits, tame[seed - 1].hits);
  }
}

}  // namespace
}  // namespace qel::test
