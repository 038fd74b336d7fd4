// The audio layer, headless: everything is read back from the capture file,
// sample by sample, with one process step = 1470 frames.
#include "render/audio.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "sound_files.h"

namespace qel {
namespace {

constexpr int kStep = AudioMixer::kFramesPerStep;

class AudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AudioMixer::Options options;
    options.manualClock = true;
    mixer.Open(options);
    ASSERT_TRUE(mixer.CanDecode());
    ASSERT_TRUE(mixer.StartCapture(Capture()));
  }
  std::filesystem::path Capture() const { return scratch.path() / "out.wav"; }
  AudioHandle Sample(const std::string& wav) {
    return mixer.LoadSample(reinterpret_cast<const uint8_t*>(wav.data()), wav.size());
  }
  AudioHandle Stream(const std::string& wav) {
    return mixer.StreamCreate(reinterpret_cast<const uint8_t*>(wav.data()), wav.size());
  }
  void PlayOnce(AudioHandle sample, int volume) {
    AudioHandle channel = mixer.SampleGetChannel(sample);
    mixer.SetVolume(channel, volume);
    mixer.Play(channel, false);
  }
  std::vector<test::Frame> Finish() {
    mixer.StopCapture();
    return test::ReadCapture(Capture());
  }
  // The left value at the first frame of each step.
  static std::vector<int> LeftPerStep(const std::vector<test::Frame>& frames) {
    std::vector<int> out;
    for (size_t i = 0; i < frames.size(); i += kStep) out.push_back(frames[i].left);
    return out;
  }

  test::TempDir scratch;
  AudioMixer mixer;
};

TEST_F(AudioTest, ASamplePlayedAtStepNIsHeardFromFrameNTimes1470) {
  AudioHandle beep = Sample(test::DcWav(2 * kStep, 1000, -2000));
  ASSERT_NE(beep, 0u);
  for (int step = 0; step < 6; ++step) {
    if (step == 3) PlayOnce(beep, 50);
    mixer.Advance(kStep);
  }
  auto frames = Finish();
  ASSERT_EQ(frames.size(), 6u * kStep);
  for (size_t i = 0; i < frames.size(); ++i) {
    const bool on = i >= 3u * kStep && i < 5u * kStep;
    ASSERT_EQ(frames[i].left, on ? 500 : 0) << "frame " << i;
    ASSERT_EQ(frames[i].right, on ? -1000 : 0) << "frame " << i;
  }
  EXPECT_EQ(mixer.FramesMixed(), 6 * kStep);
}

TEST_F(AudioTest, AFourthPlaybackTakesOverTheOldest) {
  AudioHandle knock = Sample(test::DcWav(5 * kStep, 1000, 0));
  for (int step = 0; step < 10; ++step) {
    if (step <= 3) PlayOnce(knock, 100);
    mixer.Advance(kStep);
  }
  // Three at most; the one started at step 0 restarts at step 3 and runs to 8.
  EXPECT_EQ(LeftPerStep(Finish()), (std::vector<int>{1000, 2000, 3000, 3000, 3000, 3000, 2000, 1000, 0, 0}));
}

TEST_F(AudioTest, StreamsLoopWithTheirOwnVolumes) {
  AudioHandle a = Stream(test::DcWav(kStep / 2, 4000, 0));  // loops twice per step
  AudioHandle b = Stream(test::DcWav(kStep, 0, 4000));
  ASSERT_TRUE(a && b);
  mixer.SetVolume(a, 25);
  mixer.SetVolume(b, 75);
  mixer.Play(a, true);
  mixer.Play(b, true);
  for (int step = 0; step < 4; ++step) {
    if (step == 2) mixer.SetVolume(a, 100);
    if (step == 3) mixer.Stop(b);
    mixer.Advance(kStep);
  }
  auto frames = Finish();
  EXPECT_EQ(frames[kStep - 1].left, 1000);
  EXPECT_EQ(frames[kStep - 1].right, 3000);
  EXPECT_EQ(frames[2 * kStep + kStep / 2].left, 4000);
  EXPECT_EQ(frames[3 * kStep].right, 0);
  EXPECT_TRUE(mixer.IsActive(a));
  EXPECT_FALSE(mixer.IsActive(b));
  EXPECT_EQ(mixer.Volume(a), 100);
}

TEST_F(AudioTest, PauseSilencesEverythingAndResumesWhereItWas) {
  AudioHandle tone = Sample(test::DcWav(3 * kStep, 800, 800));
  PlayOnce(tone, 100);
  for (int step = 0; step < 7; ++step) {
    if (step == 1) mixer.Pause();
    if (step == 3) mixer.Start();
    mixer.Advance(kStep);
  }
  EXPECT_EQ(LeftPerStep(Finish()), (std::vector<int>{800, 0, 0, 800, 800, 0, 0}));
}

TEST_F(AudioTest, LoudMixesClipInsteadOfWrapping) {
  AudioHandle loud = Sample(test::DcWav(kStep, 30000, -30000));
  PlayOnce(loud, 100);
  PlayOnce(loud, 100);
  mixer.Advance(kStep);
  auto frames = Finish();
  EXPECT_EQ(frames[0].left, 32767);
  EXPECT_EQ(frames[0].right, -32768);
}

TEST_F(AudioTest, DecodesWavOggMp3AndFlac) {
  for (const char* name : {"tone.ogg", "tone.mp3", "tone.flac"}) {
    SCOPED_TRACE(name);
    AudioHandle h = mixer.LoadSampleFile(std::filesystem::path(QEL_AUDIO_DATA) / name);
    ASSERT_NE(h, 0u);
    PlayOnce(h, 100);
  }
  for (int step = 0; step < 10; ++step) mixer.Advance(kStep);
  auto frames = Finish();
  size_t loud = 0, last = 0;
  for (size_t i = 0; i < frames.size(); ++i)
    if (std::abs(frames[i].left) > 100) ++loud, last = i;
  // A quarter of a second of tone, give or take the MP3 decoder's padding.
  EXPECT_GT(loud, 10000u);
  EXPECT_LT(last, 13000u);
}

TEST_F(AudioTest, BadDataAndUnknownHandlesAreHarmless) {
  const std::string junk = "RIFF1234WAVEjunkjunk";
  EXPECT_EQ(Sample(junk), 0u);
  EXPECT_EQ(Stream(junk.substr(0, 3)), 0u);
  EXPECT_EQ(mixer.LoadSampleFile(scratch.path() / "none.wav"), 0u);
  EXPECT_EQ(mixer.SampleGetChannel(0), 0u);
  EXPECT_EQ(mixer.SampleGetChannel(0x10000005), 0u);
  for (AudioHandle h : {0u, 0x20000000u, 0x30000009u, 0xFFFFFFFFu}) {
    mixer.Play(h, true);
    mixer.SetVolume(h, 50);
    mixer.Stop(h);
    EXPECT_FALSE(mixer.IsActive(h));
  }
  mixer.Advance(kStep);
  EXPECT_EQ(Finish().size(), static_cast<size_t>(kStep));
}

TEST(AudioWithoutDevice, DecodesAndMixesSilently) {
  AudioMixer mixer;
  AudioMixer::Options options;
  options.noDevice = true;
  options.manualClock = true;
  EXPECT_FALSE(mixer.Open(options));
  EXPECT_FALSE(mixer.HasDevice());
  const std::string wav = test::DcWav(100, 1, 1);
  AudioHandle h = mixer.LoadSample(reinterpret_cast<const uint8_t*>(wav.data()), wav.size());
  EXPECT_NE(h, 0u);
  mixer.Play(mixer.SampleGetChannel(h), false);
  mixer.Advance(kStep);
  EXPECT_EQ(mixer.FramesMixed(), kStep);

  AudioMixer closed;  // never opened: nothing decodes, nothing breaks
  EXPECT_EQ(closed.LoadSample(reinterpret_cast<const uint8_t*>(wav.data()), wav.size()), 0u);
  closed.Advance(kStep);
}

TEST(AudioOnTheDeviceClock, TheOutputCallbackMixesAndCaptures) {
  test::TempDir scratch;
  AudioMixer mixer;
  mixer.Open({});
  ASSERT_TRUE(mixer.CanDecode());
  const std::string wav = test::DcWav(4000, 700, 700);
  AudioHandle h = mixer.LoadSample(reinterpret_cast<const uint8_t*>(wav.data()), wav.size());
  ASSERT_TRUE(mixer.StartCapture(scratch.path() / "out.wav"));
  const int64_t start = mixer.FramesMixed();
  AudioHandle channel = mixer.SampleGetChannel(h);
  mixer.Play(channel, false);
  // Wait on the frame count (the dummy output runs at about real time).
  for (int i = 0; i < 500 && mixer.FramesMixed() < start + 8000; ++i) SDL_Delay(10);
  mixer.StopCapture();
  auto frames = test::ReadCapture(scratch.path() / "out.wav");
  ASSERT_GE(frames.size(), 8000u);
  size_t heard = 0;
  for (const auto& f : frames) heard += f.left == 700;
  EXPECT_EQ(heard, 4000u);
  EXPECT_FALSE(mixer.IsActive(channel));
}

}  // namespace
}  // namespace qel
