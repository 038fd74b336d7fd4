#include <gtest/gtest.h>

#include "anim/anim_keys.h"
#include "anim/frame_table.h"
#include "elements/game_file.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "../elements/recording_host.h"

namespace qel {
namespace {

class AnimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.runtime().scriptHost = &host;
    screen = db.CreateChild("TQelScreen");
    anim = static_cast<TQelAnim*>(db.CreateChild("TQelAnim"));
    anim->SetId("walk");
    anim->Key = 77;
  }
  TQelAnKey* AddKey(uint16_t count) {
    auto* key = static_cast<TQelAnKey*>(anim->CreateChild("TQelAnKey"));
    key->SetCount(count);
    return key;
  }
  void SetScript(TQelElement& e, const char* prop, const char* src) {
    Variant v = Variant::String(src);
    ASSERT_TRUE(e.SetValue(prop, v));
  }

  test::RecordingHost host;
  TQelDB db;
  TQelElement* screen = nullptr;
  TQelAnim* anim = nullptr;
};

TEST_F(AnimTest, PosIsBoundedByTheFrameCount) {
  anim->SetPosition(0);
  EXPECT_EQ(anim->Pos, -1);  // no keys, no frames
  AddKey(4);
  AddKey(9);
  EXPECT_EQ(anim->FrameCount(), 15);
  anim->SetPosition(40);
  EXPECT_EQ(anim->Pos, 14);
  anim->Rep = true;
  anim->SetPosition(15);
  EXPECT_EQ(anim->Pos, 0);
  anim->SetPosition(-5);
  EXPECT_EQ(anim->Pos, -5);  // kept, and draws nothing
  Variant v;
  ASSERT_TRUE(anim->GetValue("COUNT", v));
  EXPECT_EQ(v, Variant::Integer(15));
  ASSERT_TRUE(anim->GetValue("KEYX", v));
  EXPECT_EQ(v, Variant::Byte(0));
  EXPECT_FALSE(anim->GetValue("KEYX[a]", v));
}

TEST_F(AnimTest, PlaysOneFramePerStepAndStopsAtTheEnd) {
  AddKey(2);
  SetScript(*anim, "exAnim", "anim");
  SetScript(*anim, "exStop", "stop");
  SetScript(*anim, "exStart", "start");
  db.runtime().script.EventName = "caller";
  anim->Start();
  EXPECT_EQ(host.runs, (std::vector<std::string>{"walk:caller:start"}));
  EXPECT_EQ(anim->Pos, 0);
  host.runs.clear();
  for (int i = 0; i < 4; ++i) anim->Process();
  EXPECT_EQ(host.runs, (std::vector<std::string>{"walk:anAnim:anim", "walk:anAnim:anim", "walk:anStop:stop"}));
  EXPECT_EQ(anim->Pos, 2);
  EXPECT_FALSE(anim->Active);
  // Play restarts a finished animation from its first frame, and resumes a paused one where it was.
  anim->Play();
  EXPECT_EQ(anim->Pos, 0);
  anim->Process();
  anim->Active = false;
  anim->Play();
  EXPECT_EQ(anim->Pos, 1);
  EXPECT_TRUE(anim->Active);
}

TEST_F(AnimTest, RepeatingWrapsAndHiddenAnimationsStand) {
  AddKey(1);
  anim->Rep = true;
  anim->Start();
  anim->Process();
  anim->Process();
  EXPECT_EQ(anim->Pos, 0);
  EXPECT_TRUE(anim->Active);
  anim->SetVis(false);
  anim->Process();
  EXPECT_EQ(anim->Pos, 0);
}

TEST_F(AnimTest, NoRebuildWhileAGameIsRead) {
  db.runtime().reading = true;
  AddKey(9);
  EXPECT_EQ(anim->FrameCount(), 0);
  db.runtime().reading = false;
  anim->Init();
  EXPECT_EQ(anim->FrameCount(), 10);
  anim->Child(0)->SetValue("COUNT", Variant::Integer(3));
  EXPECT_EQ(anim->FrameCount(), 4);
}

TEST_F(AnimTest, KeysAreGatheredRelativeToTheAnimation) {
  anim->SetX(100);
  anim->SetY(50);
  auto* key = AddKey(3);
  key->Morph = true;
  auto* img = static_cast<TQelImage*>(key->CreateChild("TQelImage"));
  img->SetId("hand");
  img->SetX(10);
  img->SetY(-4);
  img->ScaleMilli = 1500;
  img->AngleMilli = 45000;
  img->Anim = 2;
  img->Color = 0x80FF0000;
  key->CreateChild("TQelImage");
  auto picture = [](const TQelImage& i) -> std::optional<SpritePicture> {
    if (i.Id().empty()) return std::nullopt;
    return SpritePicture{nullptr, 8, 6};
  };
  auto keys = GatherKeys(*anim, picture);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].count, 3);
  EXPECT_TRUE(keys[0].morph);
  ASSERT_EQ(keys[0].sprites.size(), 2u);
  const KeySprite& s = keys[0].sprites[0];
  EXPECT_EQ(s.id, "hand");
  EXPECT_EQ(s.x, 10);  // a key sits at the animation's place
  EXPECT_EQ(s.y, -4);
  EXPECT_EQ(s.scale, 1.5);
  EXPECT_EQ(s.angle, 45);
  EXPECT_EQ(s.anim, 2);
  EXPECT_EQ(s.color, 0x80FF0000u);
  ASSERT_TRUE(s.picture);
  EXPECT_EQ(s.picture->width, 8);
  EXPECT_FALSE(keys[0].sprites[1].picture);
}

TEST_F(AnimTest, ReferencesShowAnAnimationAtTheirOwnPlace) {
  AddKey(4);
  anim->SetSizeX(60);
  anim->SetSizeY(31);
  auto* ref = static_cast<TQelExAnim*>(screen->CreateChild("TQelExAnim"));
  screen->SetX(5);
  ref->SetX(100);
  ref->SetY(100);
  ref->SetObAnim(12345);
  EXPECT_EQ(ref->Animation(), nullptr);
  EXPECT_EQ(ref->GetSizeX(), 0);
  ref->SetObAnim(77);
  EXPECT_EQ(ref->Animation(), anim);
  ref->PosHor = phCenter;
  ref->PosVert = pvBottom;
  EXPECT_EQ(ref->GetAbsX(), 5 + 100 - 30);
  EXPECT_EQ(ref->GetAbsY(), 100 - 31);
  ref->PosVert = pvCenter;
  EXPECT_EQ(ref->GetAbsY(), 100 - 15);  // halves truncate
  ref->Active = true;
  for (int i = 0; i < 7; ++i) ref->Process();
  EXPECT_EQ(ref->Pos, 4);  // stops on the last frame, still active
  EXPECT_TRUE(ref->Active);
  ref->Rep = true;
  ref->Process();
  EXPECT_EQ(ref->Pos, 0);
  // An animation below a screen is not top-level: references do not see it.
  auto* inner = static_cast<TQelAnim*>(screen->CreateChild("TQelAnim"));
  inner->Key = 78;
  ref->SetObAnim(78);
  EXPECT_EQ(ref->Animation(), nullptr);
}

// Until its animation's frames are built (a screen not shown yet, a saved state being read),
// a reference keeps the position it is given, and plays on from there once they are.
TEST_F(AnimTest, ReferencesKeepTheirPositionUntilTheFramesAreBuilt) {
  auto* ref = static_cast<TQelExAnim*>(screen->CreateChild("TQelExAnim"));
  ref->SetObAnim(77);
  ASSERT_EQ(ref->Animation(), anim);
  ASSERT_EQ(anim->Frames(), nullptr);
  ASSERT_TRUE(ref->SetValue("POS", Variant::Integer(0)));
  EXPECT_EQ(ref->Pos, 0);
  AddKey(4);  // five frames
  ref->Active = true;
  ref->Process();
  EXPECT_EQ(ref->Pos, 1);
  ASSERT_TRUE(ref->SetValue("POS", Variant::Integer(9)));
  EXPECT_EQ(ref->Pos, 4);
}

}  // namespace
}  // namespace qel
