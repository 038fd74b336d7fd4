// The sound cache over a headless mixer: one UpdateMusic and one process
// step of mixing per step, levels read back from the capture file.
#include "gamedb/sound_cache.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/temp_dir.h"
#include "../render/sound_files.h"
#include "base/game_paths.h"
#include "render/res_db.h"

namespace qel {
namespace {

constexpr int kStep = AudioMixer::kFramesPerStep;

struct FakeShell {
  int32_t MusicVolume = 100;
  int32_t SoundVolume = 100;
};

class SoundCacheTest : public ::testing::Test {
 protected:
  SoundCacheTest() : dir(scratch.path() / "game") {
    std::filesystem::create_directories(scratch.path() / "game" / "Sounds");
    AudioMixer::Options options;
    options.manualClock = true;
    mixer.Open(options);
    mixer.StartCapture(scratch.path() / "out.wav");
    cache = std::make_unique<SoundCache>(&mixer, &dir, &archive, SoundCacheGameOf(shell, [this] { ++timerResets; }));
  }
  void WriteSound(const std::string& name, const std::string& bytes) { scratch.Write("game/Sounds/" + name, bytes); }
  void Step(int count = 1) {
    for (int i = 0; i < count; ++i) {
      cache->UpdateMusic();
      mixer.Advance(kStep);
    }
  }
  std::vector<test::Frame> Finish() {
    mixer.StopCapture();
    return test::ReadCapture(scratch.path() / "out.wav");
  }

  test::TempDir scratch;
  GameDir dir;
  TResDb archive;
  AudioMixer mixer;
  FakeShell shell;
  int timerResets = 0;
  std::unique_ptr<SoundCache> cache;
};

// The channel volume after k fade steps from `from` to `to` over n steps.
int FadeVolume(double from, double to, int n, int k) {
  double f = k >= n ? to : from + (to - from) * k / n;
  return static_cast<int>(std::nearbyint(100 * f));
}

TEST_F(SoundCacheTest, SoundsAreFoundOnDiskThenInTheArchiveAndFailuresAreKept) {
  WriteSound("Door.WAV", test::DcWav(kStep, 1000, 1000));
  TResDb writer;
  writer.SetFileName((scratch.path() / "res.dat").string());
  writer.SetOpenMode(TOpenMode::opOverwrite);
  ASSERT_TRUE(writer.OpenTable());
  ASSERT_TRUE(writer.WriteRecord("sounds\\bell.wav", 0, test::DcWav(kStep, 2000, 2000)));
  archive.SetFileName((scratch.path() / "res.dat").string());

  EXPECT_NE(cache->LoadSample("door.wav"), 0u);
  EXPECT_NE(cache->LoadSample("BELL.WAV"), 0u);
  EXPECT_EQ(cache->LoadSample("gone.wav"), 0u);
  WriteSound("gone.wav", test::DcWav(kStep, 1, 1));
  EXPECT_EQ(cache->LoadSample("GONE.WAV"), 0u);  // looked for once
  EXPECT_EQ(cache->LoadStream("gone.wav"), cache->LoadStream("gone.wav"));
  EXPECT_TRUE(mixer.Streamed(cache->LoadStream("bell.wav")));  // unpacked from the archive as it plays
  ASSERT_EQ(cache->Sounds().size(), 3u);
  EXPECT_EQ(cache->Sounds()[0].name, "DOOR.WAV");
  EXPECT_EQ(cache->Music().size(), 2u);
  EXPECT_EQ(timerResets, 5);  // once per load, hit or miss
}

TEST_F(SoundCacheTest, PlaySoundScalesByTheSoundVolumeAndFallsBackToOgg) {
  // Only the .ogg exists (decoders look at the content, not the name).
  WriteSound("door.ogg", test::DcWav(kStep, 1000, 1000));
  shell.SoundVolume = 80;
  cache->PlaySound("door.wav", 50);  // 80 × 50 div 100 = 40
  Step();
  cache->PlaySound("nothing.wav", 100);
  Step();
  auto frames = Finish();
  EXPECT_EQ(frames[0].left, 400);
  EXPECT_EQ(frames[kStep].left, 0);
  EXPECT_EQ(cache->Sounds().size(), 4u);  // DOOR.WAV (0), DOOR.OGG, NOTHING.WAV (0), NOTHING.OGG (0)
}

TEST_F(SoundCacheTest, MusicFadesInOverSixtyStepsAndRetargetsWithoutRestarting) {
  // Left: the position in the loop; right: a constant that shows the volume.
  const int length = 40000;
  WriteSound("theme.ogg", test::MakeWav(length, [](int i) {
    return test::Frame{static_cast<int16_t>(i / 2), 10000};
  }));
  cache->PlayMusic("THEME.MP3", 100);  // falls back to the .OGG name
  Step(70);
  cache->PlayMusic("theme.mp3", 40);  // playing: fade from 1.0 to 0.4, same position
  Step(70);
  auto frames = Finish();
  for (int k = 0; k < 140; ++k) {
    SCOPED_TRACE(k);
    const int volume = k < 70 ? FadeVolume(0, 1, 60, k + 1) : FadeVolume(1, 0.4, 60, k - 69);
    const test::Frame f = frames[static_cast<size_t>(k) * kStep];
    ASSERT_EQ(f.right, 10000 * volume / 100);
    const int position = (k * kStep) % length;
    ASSERT_EQ(f.left, position / 2 * volume / 100);
  }
}

TEST_F(SoundCacheTest, FadeOutStopsAfterThirtyStepsAndAStoppedStreamRestarts) {
  WriteSound("rain.wav", test::MakeWav(30000, [](int i) { return test::Frame{static_cast<int16_t>(i % 20000), 10000}; }));
  cache->PlayMusic("rain.wav", 60);
  Step(61);  // at 0.6
  const AudioHandle h = cache->Music()[0].handle;
  cache->FadeOutMusic();
  Step(29);
  EXPECT_TRUE(mixer.IsActive(h));
  Step(1);
  EXPECT_FALSE(mixer.IsActive(h));
  Step(2);
  cache->PlayMusic("rain.wav", 100);  // from the start, fading in again
  Step(3);
  auto frames = Finish();
  for (int j = 0; j < 30; ++j)
    ASSERT_EQ(frames[static_cast<size_t>(61 + j) * kStep].right, 10000 * FadeVolume(0.6, 0, 30, j + 1) / 100) << j;
  EXPECT_EQ(frames[91 * kStep].right, 0);
  EXPECT_EQ(frames[92 * kStep].right, 0);
  // Stopped at frame 12300 of the loop; heard again from frame 0.
  const int volume = FadeVolume(0, 1, 60, 1);
  EXPECT_EQ(frames[93 * kStep].right, 10000 * volume / 100);
  EXPECT_EQ(frames[93 * kStep + 1000].left, 1000 * volume / 100);
}

TEST_F(SoundCacheTest, TwoStreamsCrossFade) {
  WriteSound("day.wav", test::DcWav(8000, 9000, 0));
  WriteSound("night.wav", test::DcWav(8000, 0, 9000));
  cache->PlayMusic("day.wav", 100);
  Step(60);
  cache->FadeOutMusic();
  cache->PlayMusic("night.wav", 100);
  Step(60);
  auto frames = Finish();
  for (int j = 0; j < 60; ++j) {
    const test::Frame f = frames[static_cast<size_t>(60 + j) * kStep];
    ASSERT_EQ(f.left, 9000 * FadeVolume(1, 0, 30, j + 1) / 100) << j;
    ASSERT_EQ(f.right, 9000 * FadeVolume(0, 1, 60, j + 1) / 100) << j;
  }
  EXPECT_GT(frames[75 * kStep].left, 0);  // both heard at once
  EXPECT_GT(frames[75 * kStep].right, 0);
}

TEST_F(SoundCacheTest, FadingOutSilentMusicStopsIt) {
  WriteSound("hum.wav", test::DcWav(8000, 100, 100));
  cache->PlayMusic("hum.wav", 50);
  cache->FadeOutMusic();  // at factor 0 before any step
  Step(2);
  EXPECT_FALSE(mixer.IsActive(cache->Music()[0].handle));
}

TEST(SoundCacheWithoutAudio, EverythingIsQuiet) {
  test::TempDir scratch;
  scratch.Write("sounds/a.wav", test::DcWav(100, 1, 1));
  GameDir dir(scratch.path());
  SoundCache cache(nullptr, &dir, nullptr);
  cache.PlaySound("a.wav", 100);
  cache.PlayMusic("a.wav", 100);
  cache.FadeOutMusic();
  cache.UpdateMusic();
  EXPECT_EQ(cache.LoadSample("a.wav"), 0u);
  EXPECT_EQ(OggAlternative("AB"), "OGG");
  EXPECT_EQ(OggAlternative("DOOR.WAV"), "DOOR.OGG");
}

}  // namespace
}  // namespace qel
