#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>

#include "support/temp_dir.h"
#include "base/game_paths.h"
#include "elements/kinds.h"
#include "elements/particles.h"
#include "elements/qel_db.h"
#include "render/res_db.h"
#include "recording_host.h"

namespace qel {
namespace {

// An effect file written field by field at the record's offsets.
class EffectBytes {
 public:
  EffectBytes() : bytes_(EffectRecord::kSize, '\0') {}
  EffectBytes& I32(size_t at, int32_t v) { return Put(at, &v); }
  EffectBytes& U32(size_t at, uint32_t v) { return Put(at, &v); }
  EffectBytes& F32(size_t at, float v) { return Put(at, &v); }
  EffectBytes& Byte(size_t at, uint8_t v) {
    bytes_[at] = static_cast<char>(v);
    return *this;
  }
  const std::string& str() const { return bytes_; }

 private:
  template <class T>
  EffectBytes& Put(size_t at, const T* v) {
    std::memcpy(&bytes_[at], v, 4);
    return *this;
  }
  std::string bytes_;
};

// A plain emitter: particles live long, fly straight down at 30 px/s.
EffectBytes Fountain(int32_t emission) {
  EffectBytes e;
  e.I32(16, emission).F32(20, 100).F32(24, 50).F32(28, 50);  // emission, lifetime, life
  e.F32(44, 30).F32(48, 30);                                  // speed
  e.F32(76, 1).F32(80, 1).F32(84, 1);                         // size
  e.U32(108, 0xFF808080).U32(112, 0xFF808080).U32(116, 0xFF808080);
  e.F32(128, 0.5f);
  return e;
}

constexpr float kStep = 1.0f / 30;

TEST(EffectRecord, ShortFilesReadAsIfPaddedWithZeros) {
  EffectBytes full;
  for (size_t at = 0; at < EffectRecord::kSize; at += 4) full.U32(at, 0x3F000000u + static_cast<uint32_t>(at) * 977);
  full.Byte(40, 1).Byte(132, 1);
  const EffectRecord whole = EffectRecord::Parse(full.str());
  EXPECT_EQ(whole.firstPattern, 0x3F000000);
  EXPECT_TRUE(whole.relative);
  EXPECT_TRUE(whole.reverse);
  EXPECT_EQ(whole.colorEnd, 0x3F000000u + 116 * 977);
  for (size_t len = 0; len <= full.str().size() + 8; ++len) {
    std::string cut = (full.str() + "tail....").substr(0, len);
    std::string padded = cut.substr(0, EffectRecord::kSize);
    padded.resize(EffectRecord::kSize, '\0');
    const EffectRecord a = EffectRecord::Parse(cut), b = EffectRecord::Parse(padded);
    EXPECT_EQ(std::memcmp(&a.colorStart, &b.colorStart, 12), 0) << len;
    EXPECT_EQ(a.firstPattern, b.firstPattern) << len;
    EXPECT_EQ(std::isnan(a.middlePoint) ? 0 : a.middlePoint, std::isnan(b.middlePoint) ? 0 : b.middlePoint) << len;
    EXPECT_EQ(a.reverse, b.reverse) << len;
    // Whatever was cut, a system runs on it without harm and within its pool.
    uint32_t seed = static_cast<uint32_t>(len);
    TXParticleSystem s(kEffectCapacity, &seed);
    s.Load(cut);
    s.Start();
    for (int i = 0; i < 3; ++i) s.Update(kStep);
    EXPECT_LE(s.Count(), kEffectCapacity);
  }
}

TEST(Particles, EmissionCarriesTheFractionToTheNextStep) {
  uint32_t seed = 1;
  TXParticleSystem s(kEffectCapacity, &seed);
  s.Load(Fountain(45).str());
  s.Start();
  std::vector<int> added;
  for (int i = 0; i < 6; ++i) {
    int before = s.Count();
    s.Update(kStep);
    added.push_back(s.Count() - before);
  }
  EXPECT_EQ(added, (std::vector<int>{2, 1, 2, 1, 2, 1}));
  for (int i = 0; i < 24; ++i) s.Update(kStep);
  EXPECT_EQ(s.Count(), 45);
}

TEST(Particles, PositionsAfterStepsFollowVelocityAndGravity) {
  uint32_t seed = 7;
  TXParticleSystem s(kEffectCapacity, &seed);
  s.Load(Fountain(30).F32(52, 2).F32(56, 2).str());  // gravity 2 (20 px/s² applied)
  s.MoveTo(100, 200, false);
  s.Start();
  s.Update(kStep);  // one particle born at the emitter, at rest for this step
  ASSERT_EQ(s.Count(), 1);
  EXPECT_FLOAT_EQ(s.Alive()[0].x, 100);
  EXPECT_FLOAT_EQ(s.Alive()[0].y, 200);
  float y = 200, vy = 30;
  for (int n = 1; n <= 20; ++n) {
    s.Update(kStep);
    vy += 2 * TXParticleSystem::kAccelerationScale * kStep;
    y += vy * kStep;
    ASSERT_EQ(s.Count(), n + 1);
    EXPECT_NEAR(s.Alive()[0].x, 100, 1e-3);  // direction 0 is straight down the y axis
    EXPECT_NEAR(s.Alive()[0].y, y, 1e-3) << n;
  }
}

TEST(Particles, TheSameSeedGivesTheSameParticles) {
  EffectBytes e = Fountain(300);
  e.F32(36, 3.0f).F32(44, 10).F32(48, 80).F32(24, 0.5f).F32(28, 1.5f).F32(88, 2).F32(120, 1).F32(124, 1);
  e.F32(60, -1).F32(64, 1).F32(68, 0).F32(72, 3);  // radial and tangential pulls
  uint32_t seedA = 42, seedB = 42;
  TXParticleSystem a(kEffectCapacity, &seedA), b(kEffectCapacity, &seedB);
  for (TXParticleSystem* s : {&a, &b}) {
    s->Load(e.str());
    s->Start();
  }
  for (int i = 0; i < 90; ++i) {
    a.Update(kStep);
    b.Update(kStep);
    a.MoveTo(static_cast<float>(i), 0, false);
    b.MoveTo(static_cast<float>(i), 0, false);
  }
  ASSERT_GT(a.Count(), 100);
  ASSERT_EQ(a.Count(), b.Count());
  for (int i = 0; i < a.Count(); ++i) {
    EXPECT_EQ(a.Alive()[i].x, b.Alive()[i].x);
    EXPECT_EQ(a.Alive()[i].y, b.Alive()[i].y);
    EXPECT_GE(a.Alive()[i].color[3], 0);
    EXPECT_LE(a.Alive()[i].color[3], 255);
    EXPECT_LT(a.Alive()[i].age, a.Alive()[i].life);
  }
}

// Dropping the dead only when they are many leaves the same particles as
// dropping them at every step.
TEST(Particles, DeferredDroppingMatchesDroppingAtEveryStep) {
  EffectBytes e = Fountain(400);
  e.F32(24, 0.1f).F32(28, 1.2f).F32(36, 6).F32(44, 5).F32(48, 90).F32(60, -2).F32(64, 2).F32(120, 1).F32(124, 1);
  uint32_t seedA = 11, seedB = 11;
  TXParticleSystem lazy(300, &seedA), eager(300, &seedB);
  eager.SetCompactEveryStep(true);
  for (TXParticleSystem* s : {&lazy, &eager}) {
    s->Load(e.str());
    s->Start();
  }
  for (int step = 0; step < 120; ++step) {
    const float dt = kStep * static_cast<float>(1 + step % 3);
    lazy.Update(dt);
    eager.Update(dt);
    if (step % 17 == 0) {
      lazy.MoveTo(static_cast<float>(step), 5, step % 2 == 0);
      eager.MoveTo(static_cast<float>(step), 5, step % 2 == 0);
    }
    const auto a = lazy.Alive(), b = eager.Alive();
    ASSERT_EQ(a.size(), b.size()) << step;
    for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(std::memcmp(&a[i], &b[i], offsetof(Particle, dead)), 0) << step << " " << i;
  }
}

TEST(Particles, DyingParticlesLeaveAndThePoolIsBounded) {
  uint32_t seed = 3;
  TXParticleSystem s(kEffectCapacity, &seed);
  s.Load(Fountain(30).F32(24, 0.2f).F32(28, 0.2f).F32(20, 0.1f).str());  // emits for 0.1 s, particles live 0.2 s
  s.Start();
  for (int i = 0; i < 3; ++i) s.Update(kStep);
  EXPECT_FALSE(s.Emitting());
  const int born = s.Count();
  EXPECT_GT(born, 0);
  for (int i = 0; i < 8; ++i) s.Update(kStep);
  EXPECT_EQ(s.Count(), 0);

  TXParticleSystem flood(kEffectCapacity, &seed);
  flood.Load(Fountain(2000000000).str());
  flood.Start();
  flood.Update(1.0f);
  EXPECT_EQ(flood.Count(), kEffectCapacity);
  flood.Stop(true);
  EXPECT_EQ(flood.Count(), 0);
}

TEST(Particles, ColoursStayInBytesAndAnOvershootingAlphaLandsOn254) {
  uint32_t seed = 5;
  TXParticleSystem s(kEffectCapacity, &seed);
  // The middle colour lies beyond a byte once the variation stretches it.
  s.Load(Fountain(30).U32(108, 0x80000000).U32(112, 0xFFFFFFFF).F32(124, 3).F32(120, 3).str());
  s.Start();
  for (int i = 0; i < 30; ++i) s.Update(kStep);
  bool overshoot = false;
  for (int i = 0; i < s.Count(); ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_LE(s.Alive()[i].color[c], 255);
    EXPECT_LE(s.Alive()[i].color[3], 255);
    overshoot |= s.Alive()[i].color[3] == 254;
  }
  EXPECT_TRUE(overshoot);
}

class EffectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.runtime().scriptHost = &host;
    db.runtime().services.particles = &manager;
    screen = db.CreateChild("TQelScreen");
    effect = static_cast<TQelEffect*>(screen->CreateChild("TQelEffect"));
    effect->SetEffectFN("missing.eff");
  }
  test::RecordingHost host;
  ParticleManager manager;
  TQelDB db;
  TQelElement* screen = nullptr;
  TQelEffect* effect = nullptr;
};

TEST_F(EffectTest, AMissingFileGivesASystemThatNeverEmits) {
  ASSERT_NE(effect->System(), nullptr);
  effect->DAnim = 1;
  effect->SetActive(true);
  effect->Process();
  EXPECT_EQ(effect->System()->Count(), 0);
  EXPECT_FALSE(effect->Active);  // lifetime 0: stopped at the first step
}

TEST_F(EffectTest, DAnimScalesTimeAndZeroFreezes) {
  effect->System()->Load(Fountain(30).str());
  effect->SetActive(true);
  for (int i = 0; i < 10; ++i) effect->Process();
  EXPECT_EQ(effect->System()->Count(), 0);  // DAnim 0: nothing moves, nothing is born
  EXPECT_TRUE(effect->Active);
  effect->DAnim = 2;
  for (int i = 0; i < 15; ++i) effect->Process();
  EXPECT_EQ(effect->System()->Count(), 30);
}

TEST_F(EffectTest, MovingWithSetPosRestartsTheEmissionAndSetXDoesNot) {
  effect->System()->Load(Fountain(30).F32(20, 0.5f).str());
  effect->DAnim = 1;
  effect->SetActive(true);
  for (int i = 0; i < 20; ++i) effect->Process();
  EXPECT_FALSE(effect->System()->Emitting());  // half a second of emission is over
  effect->SetX(50);
  EXPECT_FALSE(effect->System()->Emitting());
  EXPECT_EQ(effect->System()->X(), 50);
  effect->SetPos(60, 70);
  EXPECT_TRUE(effect->System()->Emitting());
  EXPECT_EQ(effect->System()->Y(), 70);
  // Stopping keeps the particles; they fly on until they die.
  const int alive = effect->System()->Count();
  effect->EffectStop();
  EXPECT_FALSE(effect->Active);
  EXPECT_EQ(effect->System()->Count(), alive);
}

TEST_F(EffectTest, StartRunsTheStartScriptUnderTheCallersEventName) {
  ASSERT_TRUE(effect->SetValue("EXSTART", Variant::String("go")));
  effect->SetId("fx");
  db.runtime().script.EventName = "ms_Down";
  effect->EffectStart();
  EXPECT_TRUE(effect->Active);
  EXPECT_EQ(host.runs, (std::vector<std::string>{"fx:ms_Down:go"}));
}

TEST_F(EffectTest, TheFileIsFoundAsGamesSpellItAndReadFromItsStart) {
  test::TempDir dir;
  dir.Write("fx/smoke.eff", Fountain(60).str() + std::string(1000, '\x7f'));
  GameDir games(dir.path());
  db.runtime().services.dir = &games;
  effect->SetX(40);
  effect->SetActive(true);
  effect->SetEffectFN("FX\\Smoke.EFF");
  EXPECT_EQ(effect->System()->Params().emission, 60);
  EXPECT_EQ(effect->System()->X(), 40);
  EXPECT_TRUE(effect->System()->Emitting());  // an active effect starts on its new file
  effect->SetEffectFN("..\\fx\\smoke.eff");  // outside the game: not read
  EXPECT_EQ(effect->System()->Params().emission, 0);
}

TEST_F(EffectTest, AFileMissingOnDiskIsReadFromTheArchive) {
  test::TempDir dir;
  TResDb archive;
  archive.SetFileName((dir.path() / "game.res").string());
  archive.SetOpenMode(TOpenMode::opUpdate);
  ASSERT_TRUE(archive.OpenTable());
  ASSERT_TRUE(archive.WriteRecord("fx\\spark.eff", 0, Fountain(75).str().substr(0, 20)));
  GameDir games(dir.path());
  db.runtime().services.dir = &games;
  db.runtime().services.archive = &archive;
  effect->SetEffectFN("FX\\SPARK.EFF");
  EXPECT_EQ(effect->System()->Params().emission, 75);
  EXPECT_EQ(effect->System()->Params().lifetime, 0);  // past the end of a short record: zero
}

TEST_F(EffectTest, WithoutAManagerThereIsNoSystem) {
  db.runtime().services.particles = nullptr;
  auto* other = static_cast<TQelEffect*>(screen->CreateChild("TQelEffect"));
  other->SetEffectFN("x.eff");
  other->SetActive(true);
  other->Process();
  EXPECT_EQ(other->System(), nullptr);
}

}  // namespace
}  // namespace qel
