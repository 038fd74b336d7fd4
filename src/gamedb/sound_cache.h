#pragma once
// The sound cache: sound effects (samples) and music (looped streams) by
// name, found under "sounds\" in the game directory, else in the resource
// archive. A failed load is remembered as handle 0 and never retried. Music
// fades run one step per process step (UpdateMusic).
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "base/encoding.h"
#include "render/audio.h"

namespace qel {

class GameDir;
class TResDb;

struct SoundEntry {
  ByteString name;  // upper-cased
  AudioHandle handle = 0;
};

// A music stream and its fade.
struct TSound {
  ByteString name;  // upper-cased
  AudioHandle handle = 0;
  double factor = 0;  // volume factor 0..1
  double step = 0;    // added to the factor each step
  double target = 0;  // where the fade ends
};

// The running game's volumes (0..100) and the frame timer's reset; null
// pointers mean the defaults (music 50, sounds 100) and no reset.
struct SoundCacheGame {
  const int32_t* musicVolume = nullptr;
  const int32_t* soundVolume = nullptr;
  // Loading can take long: the timer forgets the time it took.
  std::function<void()> resetTimer;
};

template <class Shell>
SoundCacheGame SoundCacheGameOf(Shell& shell, std::function<void()> resetTimer = {}) {
  SoundCacheGame g;
  g.musicVolume = &shell.MusicVolume;
  g.soundVolume = &shell.SoundVolume;
  g.resetTimer = std::move(resetTimer);
  return g;
}

class SoundCache {
 public:
  static constexpr int kFadeInSteps = 60;
  static constexpr int kFadeOutSteps = 30;
  // Largest sound file or archive record read into memory.
  static constexpr size_t kMaxSourceBytes = 256u << 20;

  // Any of `audio`, `dir`, `archive` may be null: then there is no sound, no
  // file or no archive.
  SoundCache(AudioMixer* audio, GameDir* dir, TResDb* archive, SoundCacheGame game = {});

  void SetGame(SoundCacheGame game) { game_ = std::move(game); }
  void SetArchive(TResDb* archive) { archive_ = archive; }
  void SetDir(GameDir* dir) { dir_ = dir; }

  // Plays a sound effect at volume 0..100 (of SoundVolume). A name ending in
  // another extension falls back to the same name with ".OGG".
  void PlaySound(std::string_view name, int volume);
  // Starts a music stream or re-targets its fade (volume 0..100 of MusicVolume).
  void PlayMusic(std::string_view name, int volume);
  // Every music stream fades to silence and stops.
  void FadeOutMusic();
  // One fade step for every playing stream; once per process step.
  void UpdateMusic();

  // Find or load; 0 when the sound cannot be had (remembered).
  AudioHandle LoadSample(std::string_view name);
  AudioHandle LoadStream(std::string_view name);

  const std::vector<SoundEntry>& Sounds() const { return sounds_; }
  const std::vector<TSound>& Music() const { return music_; }

 private:
  bool ReadSource(const ByteString& name, std::vector<uint8_t>& data, std::filesystem::path& file);
  AudioHandle OpenStream(const ByteString& name);
  TSound* FindMusic(const ByteString& key, const ByteString& alternative);
  int MusicVolume() const { return game_.musicVolume ? *game_.musicVolume : 50; }
  int SoundVolume() const { return game_.soundVolume ? *game_.soundVolume : 100; }

  AudioMixer* audio_;
  GameDir* dir_;
  TResDb* archive_;
  SoundCacheGame game_;
  std::vector<SoundEntry> sounds_;
  std::vector<TSound> music_;
};

// The name with its last three characters replaced by "OGG".
ByteString OggAlternative(const ByteString& key);

}  // namespace qel
