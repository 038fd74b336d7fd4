// Image lists, animations and effects driven from scripts, with element
// references named by paths as games do.
#include <gtest/gtest.h>

#include "elements/kinds.h"
#include "elements/particles.h"
#include "elements/qel_db.h"
#include "hostapi/host_table.h"
#include "script/interpreter_pool.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

class HostAnim : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime.services.particles = &manager;
    room = db.CreateChild("TQelScreen");
    room->SetId("Room");
    list = static_cast<TQelImList*>(room->CreateChild("TQelImList"));
    list->SetId("Inv");
    for (const char* id : {"Gem", "gem", "Coin"}) room->CreateChild("TQelImage")->SetId(id);
    anim = static_cast<TQelAnim*>(db.CreateChild("TQelAnim"));
    anim->SetId("Walk");
    static_cast<TQelAnKey*>(anim->CreateChild("TQelAnKey"))->SetCount(5);
    effect = static_cast<TQelEffect*>(room->CreateChild("TQelEffect"));
    effect->SetId("Smoke");
    effect->SetEffectFN("smoke.eff");
  }
  // Runs a script as the room's event; false when it stopped with an error.
  bool Run(const std::string& source) {
    runtime.script.EventName = "ms_Down";
    room->SetEventSource(evMouseDown, source);
    room->RunScript(room->Event(evMouseDown).prepared, nullptr);
    return pool.At(1).ErrorCode() == 0;
  }
  std::vector<ByteString> EntryIds() {
    std::vector<ByteString> ids;
    for (auto& e : list->Entries) ids.push_back(runtime.Resolve(e.image)->Id());
    return ids;
  }

  Runtime runtime;
  TQelDB db{&runtime};
  InterpreterPool pool{runtime, db, [](TScriptCalc& c) { RegisterHostFunctions(c); }};
  ParticleManager manager;
  TQelElement* room = nullptr;
  TQelImList* list = nullptr;
  TQelAnim* anim = nullptr;
  TQelEffect* effect = nullptr;
};

TEST_F(HostAnim, ListAddAndListDel) {
  ASSERT_TRUE(Run("ListAdd(SELF.INV, SELF.GEM); ListAdd(SELF.INV, SELF.CHILD[3]); ListAdd(SELF.INV, SELF.COIN);"
                  "ListAdd(SELF.INV, SELF.SMOKE); ListAdd(SELF.INV); ListAdd(SELF.COIN, SELF.GEM);"));
  EXPECT_EQ(EntryIds(), (std::vector<ByteString>{"Gem", "gem", "Coin"}));
  ASSERT_TRUE(Run("ListDel(SELF.INV, 'gem');"));  // exact case: only the second entry
  EXPECT_EQ(EntryIds(), (std::vector<ByteString>{"Gem", "Coin"}));
  ASSERT_TRUE(Run("ListDel(SELF.INV, SELF.COIN); ListDel(SELF.INV, 'nothing'); ListDel(SELF.INV, 5);"));
  EXPECT_EQ(EntryIds(), (std::vector<ByteString>{"Gem"}));
}

TEST_F(HostAnim, AnimStartPlayAndStop) {
  anim->SetVis(false);
  anim->Pos = 3;
  ASSERT_TRUE(Run("AnimStart(QELDB.WALK);"));
  EXPECT_EQ(anim->Pos, 0);
  EXPECT_TRUE(anim->Active);
  EXPECT_TRUE(anim->Vis);
  ASSERT_TRUE(Run("AnimStop(QELDB.WALK);"));  // animations are stopped through Active, not AnimStop
  EXPECT_TRUE(anim->Active);
  for (int i = 0; i < 8; ++i) anim->Process();
  EXPECT_FALSE(anim->Active);
  ASSERT_TRUE(Run("AnimPlay(QELDB.WALK); AnimPlay(SELF); AnimStart(5); AnimBreak(QELDB.WALK);"));
  EXPECT_TRUE(anim->Active);
  EXPECT_EQ(anim->Pos, 0);
}

TEST_F(HostAnim, EffectsStartStopBreakAndStep) {
  effect->System()->Load(std::string(136, '\0'));
  auto& params = const_cast<EffectRecord&>(effect->System()->Params());
  params.emission = 300;
  params.lifetime = 10;
  params.lifeMin = params.lifeMax = 5;
  effect->DAnim = 1;
  ASSERT_TRUE(Run("AnimStart(SELF.SMOKE); X := ProcEf(SELF.SMOKE, 3);"));  // 3 / 30 * 1 s: 30 particles
  EXPECT_TRUE(effect->Active);
  EXPECT_EQ(effect->System()->Count(), 30);
  ASSERT_TRUE(Run("AnimStop(SELF.SMOKE);"));
  EXPECT_FALSE(effect->Active);
  EXPECT_FALSE(effect->System()->Emitting());
  EXPECT_EQ(effect->System()->Count(), 30);
  ASSERT_TRUE(Run("AnimStart(SELF.SMOKE); AnimBreak(SELF.SMOKE); Y := ProcEf(SELF.SMOKE, '3');"));
  EXPECT_FALSE(effect->Active);
  EXPECT_EQ(effect->System()->Count(), 0);
  ASSERT_TRUE(Run("ProcEf(SELF.SMOKE); ProcEf(1, 2); ProcEf(SELF, 2);"));
}

}  // namespace
}  // namespace qel
