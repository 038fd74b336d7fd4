// Music decoded while it plays against music decoded whole: the same sounds,
// played through the same cross-fades, stops, resumes and restarts over
// several loops, must leave captures equal sample for sample, from a file,
// from memory and from an archive record.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "render/audio.h"
#include "render/byte_source.h"
#include "render/mp3_tag_guard.h"
#include "render/res_db.h"
#include "sound_files.h"
#include "support/temp_dir.h"

namespace qel {
namespace {

constexpr int kStep = AudioMixer::kFramesPerStep;
constexpr int kSteps = 40;

std::string DataFile(const std::string& name) {
  std::ifstream in(std::filesystem::path(QEL_AUDIO_DATA) / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

// Full-scale values and every rounding case of the conversions: a walk over
// the 16-bit range by a prime step.
int Walk(int frame, int channel) { return -32768 + (frame * 7919 + channel * 4099) % 65536; }

// An ID3v2.3 tag holding one text frame (Latin-1 unless told).
std::string Id3Tag(const char* key, const std::string& text, char encoding = '\0') {
  const std::string body = key + Be32(static_cast<uint32_t>(text.size() + 1)) + std::string(2, '\0') + encoding + text;
  const auto n = static_cast<uint32_t>(body.size());
  const char size[4] = {static_cast<char>(n >> 21 & 0x7F), static_cast<char>(n >> 14 & 0x7F),
                        static_cast<char>(n >> 7 & 0x7F), static_cast<char>(n & 0x7F)};
  return std::string("ID3\3\0\0", 6) + std::string(size, 4) + body;
}

struct SoundCase {
  const char* name;
  std::function<std::string()> bytes;
  bool streamed;  // decoded while playing (else whole, as every kind it does not know)
  bool sounds;    // gives sound at all
};

const SoundCase kSounds[] = {
    {"ogg", [] { return DataFile("tone.ogg"); }, true, true},
    {"ogg 22 kHz mono", [] { return DataFile("chirp22k_mono.ogg"); }, true, true},
    {"ogg cut short", [] { std::string b = DataFile("chirp22k_mono.ogg"); return b.substr(0, b.size() - 100); }, true, true},
    {"mp3", [] { return DataFile("tone.mp3"); }, true, true},
    {"mp3 48 kHz, ID3v2 and ID3v1", [] { return DataFile("chirp48k_tags.mp3"); }, true, true},
    {"mp3 with a title too long for the whole-file loader", [] { return Id3Tag("TIT2", std::string(3000, 'a')) + DataFile("tone.mp3"); }, true, true},
    {"mp3 with an APE tag", [] { return DataFile("tone.mp3") + std::string("APETAGEX\xd0\x07\0\0\x20\0\0\0\0\0\0\0\0\0\0\0", 24) + std::string(8, '\0'); }, false, true},
    {"flac", [] { return DataFile("tone.flac"); }, true, true},
    {"flac 48 kHz 24-bit 3 channels", [] { return DataFile("chirp48k_3ch.flac"); }, true, true},
    {"flac cut short", [] { std::string b = DataFile("tone.flac"); return b.substr(0, b.size() / 2); }, true, true},
    {"wav", [] { return test::MakePcmWav(2, 16, 44100, 9001, Walk); }, true, true},
    {"wav mono", [] { return test::MakePcmWav(1, 16, 44100, 10001, Walk); }, true, true},
    {"wav 8-bit", [] { return test::MakePcmWav(2, 8, 44100, 7003, [](int i, int c) { return (i * 31 + c * 17) % 256; }); }, true, true},
    {"wav 22 kHz", [] { return test::MakePcmWav(2, 16, 22050, 5000, Walk); }, false, true},
    {"junk", [] { return std::string("OggS and nothing more, nothing at all"); }, false, false},
};

enum class From { kFile, kMemory, kArchive };
constexpr From kFroms[] = {From::kFile, From::kMemory, From::kArchive};

// What happens to streams 0 and 1, step by step.
struct Cue {
  int step;
  int stream;
  enum What { kRestart, kResume, kStop, kVolume } what;
  int volume;
};

// Fade-in of 0, a cross-fade to 1, a stop and a resume of 0, a restart of 1
// while it plays and after it stopped.
std::vector<Cue> CrossFades() {
  std::vector<Cue> cues = {{0, 0, Cue::kRestart, 0}, {6, 1, Cue::kRestart, 0}, {16, 0, Cue::kStop, 0},
                           {20, 0, Cue::kResume, 0}, {25, 1, Cue::kRestart, 0}, {30, 1, Cue::kStop, 0},
                           {33, 1, Cue::kRestart, 0}};
  for (int s = 0; s <= 6; ++s) cues.push_back({s, 0, Cue::kVolume, s * 15});
  for (int s = 6; s <= 16; ++s) cues.push_back({s, 0, Cue::kVolume, 90 - (s - 6) * 9}), cues.push_back({s, 1, Cue::kVolume, (s - 6) * 8});
  cues.push_back({20, 0, Cue::kVolume, 50});
  return cues;
}

class MusicStreamTest : public ::testing::Test {
 protected:
  AudioHandle Make(AudioMixer& mixer, const std::string& bytes, From from) {
    switch (from) {
      case From::kFile:
        return mixer.StreamCreateFile(scratch.Write("music.bin", bytes));
      case From::kMemory:
        return mixer.StreamCreate(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      case From::kArchive: {
        TResDb writer;
        writer.SetFileName((scratch / "music.res").string());
        writer.SetOpenMode(TOpenMode::opOverwrite);
        if (!writer.OpenTable() || !writer.WriteRecord("sounds\\music", 0, bytes)) return 0;
        archive.SetFileName((scratch / "music.res").string());
        return mixer.StreamCreateFrom(archive.OpenRecordSource("SOUNDS\\MUSIC"), "sounds\\music");
      }
    }
    return 0;
  }

  // The captures of the cross-fades of every sound from every source, one
  // mixer for all (opening one takes a while); empty when the sound cannot
  // be had.
  std::vector<std::vector<test::Frame>> PlayAll(bool stream) {
    AudioMixer mixer;
    AudioMixer::Options options;
    options.manualClock = options.noDevice = true;
    options.streamMusic = stream;
    mixer.Open(options);
    std::vector<std::vector<test::Frame>> captures;
    for (const SoundCase& sound : kSounds)
      for (From from : kFroms) captures.push_back(Play(mixer, sound, from, stream));
    return captures;
  }

  std::vector<test::Frame> Play(AudioMixer& mixer, const SoundCase& sound, From from, bool stream) {
    const std::string bytes = sound.bytes();
    const AudioHandle streams[2] = {Make(mixer, bytes, from), Make(mixer, bytes, from)};
    if (!streams[0] || !streams[1]) return {};
    EXPECT_EQ(mixer.Streamed(streams[0]), stream && sound.streamed) << sound.name;
    mixer.StartCapture(scratch / "out.wav");
    const std::vector<Cue> cues = CrossFades();
    for (int step = 0; step < kSteps; ++step) {
      for (const Cue& c : cues) {
        if (c.step != step) continue;
        const AudioHandle h = streams[c.stream];
        if (c.what == Cue::kVolume) mixer.SetVolume(h, c.volume);
        if (c.what == Cue::kStop) mixer.Stop(h);
        if (c.what == Cue::kRestart || c.what == Cue::kResume) mixer.Play(h, c.what == Cue::kRestart);
      }
      mixer.Advance(kStep);
    }
    mixer.Stop(streams[0]);
    mixer.Stop(streams[1]);
    mixer.StopCapture();
    return test::ReadCapture(scratch / "out.wav");
  }

  test::TempDir scratch;
  TResDb archive;
};

TEST_F(MusicStreamTest, StreamedMusicIsSampleForSampleTheMusicDecodedWhole) {
  const auto streamed = PlayAll(true);
  const auto whole = PlayAll(false);
  size_t run = 0;
  for (const SoundCase& sound : kSounds) {
    for (From from : kFroms) {
      SCOPED_TRACE(std::string(sound.name) + " from " +
                   (from == From::kFile ? "a file" : from == From::kMemory ? "memory" : "the archive"));
      const std::vector<test::Frame>& a = streamed[run];
      const std::vector<test::Frame>& b = whole[run++];
      ASSERT_EQ(a.size(), b.size());
      if (!sound.sounds) {
        EXPECT_TRUE(b.empty());
        continue;
      }
      ASSERT_EQ(b.size(), static_cast<size_t>(kSteps * kStep));
      size_t loud = 0;
      for (size_t i = 0; i < b.size(); ++i) {
        ASSERT_EQ(a[i].left, b[i].left) << "frame " << i;
        ASSERT_EQ(a[i].right, b[i].right) << "frame " << i;
        loud += std::abs(b[i].left) > 50;
      }
      EXPECT_GT(loud, b.size() / 4);
    }
  }
}

// The whole-file loader copies a title, artist, album or copyright frame of
// an ID3v2 tag out of a 1 KB buffer by the size the frame claims: only the
// tags that would make it read past that buffer keep a file from it.
TEST(Mp3TagGuard, KeepsFromTheWholeFileLoaderOnlyTagsItWouldReadPastItsBufferFor) {
  const std::string mp3 = DataFile("tone.mp3");
  const struct {
    const char* name;
    std::string bytes;
    bool overrun;
  } cases[] = {
      {"no tag", mp3, false},
      {"a short title", DataFile("chirp48k_tags.mp3"), false},
      {"a title of 1024 bytes", Id3Tag("TIT2", std::string(1023, 'a')) + mp3, false},
      {"a title of 1025 bytes", Id3Tag("TIT2", std::string(1024, 'a')) + mp3, true},
      {"an album in UTF-16 of 4000 bytes", Id3Tag("TALB", std::string(3999, 'a'), '\2') + mp3, true},
      {"a long frame it does not read", Id3Tag("TXXX", std::string(3000, 'a')) + mp3, false},
      {"a UTF-8 artist ended by the frame header's zero", Id3Tag("TPE1", "abc", '\3') + mp3, false},
      {"a UTF-8 artist filling the buffer", Id3Tag("TPE1", std::string(1023, 'a'), '\3') + mp3, true},
      {"a tag as long as the file", Id3Tag("TIT2", std::string(3000, 'a')), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LoaderMayOverrunOnTags(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()), c.overrun)
        << c.name;
}

// Music plays from its file or archive long after it was opened: a file cut
// or a record damaged meanwhile stops that music with a message, the rest
// plays on, and nothing breaks.
TEST_F(MusicStreamTest, MusicWhoseBytesAreCutOrDamagedWhilePlayingStopsWithAMessage) {
  struct Damage {
    const char* name;
    From from;
    std::function<void(const std::filesystem::path&)> harm;
    const char* message;
  };
  // Past what was read when the music started, before what it reads next.
  constexpr int kHarmAt = 18000;
  const auto overwrite = [](const std::filesystem::path& p) {
    std::fstream f(p, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(kHarmAt);
    f << std::string(64, '\xff');
  };
  const auto cut = [](const std::filesystem::path& p) { std::filesystem::resize_file(p, kHarmAt); };
  const Damage damages[] = {
      {"file cut", From::kFile, cut, "the file is shorter than when it was opened"},
      {"record damaged", From::kArchive, overwrite, "the archive record has changed since it was opened"},
      {"archive cut", From::kArchive, cut, "the archive cannot be read"},
  };
  AudioMixer mixer;
  AudioMixer::Options options;
  options.manualClock = options.noDevice = true;
  mixer.Open(options);
  // Bytes deflate cannot pack are kept as they are, where damage goes
  // unseen: this music packs, but not into a few kilobytes, and it is longer
  // than the record's end the source keeps.
  uint32_t noise = 1;
  const std::string music = test::MakePcmWav(2, 16, 44100, 60 * kStep, [&](int, int) {
    noise = noise * 1103515245 + 12345;
    return static_cast<int>(noise >> 29) * 4000 - 14000;
  });
  const AudioHandle other = mixer.StreamCreate(reinterpret_cast<const uint8_t*>(music.data()), music.size());
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.name);
    const AudioHandle h = Make(mixer, music, d.from);
    ASSERT_TRUE(mixer.Streamed(h));
    mixer.Play(h, true);
    mixer.Play(other, true);
    mixer.Advance(2 * kStep);
    d.harm(scratch / (d.from == From::kFile ? "music.bin" : "music.res"));
    testing::internal::CaptureStderr();
    for (int step = 0; step < 20; ++step) mixer.Advance(kStep);
    EXPECT_FALSE(mixer.IsActive(h));
    EXPECT_TRUE(mixer.IsActive(other));
    mixer.Play(h, true);  // tried again: the same message, no sound
    mixer.Advance(kStep);
    EXPECT_FALSE(mixer.IsActive(h));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(std::string("Audio: music ") + (d.from == From::kFile ? "" : "sounds\\music")), std::string::npos) << err;
    EXPECT_NE(err.find(d.message), std::string::npos) << err;
    mixer.Stop(other);
  }
}

}  // namespace
}  // namespace qel
