#include "gamedb/sound_cache.h"

#include <cmath>

#include "base/game_paths.h"
#include "gamedb/picture_source.h"
#include "render/byte_source.h"
#include "render/res_db.h"

namespace qel {
namespace {

// Fade ends are compared with this much slack, so that 0.6 falling by 0.02
// a step ends after 30 steps whatever the last bit of the sum.
constexpr double kFadeSlack = 1e-9;

}  // namespace

ByteString OggAlternative(const ByteString& key) {
  return (key.size() >= 3 ? key.substr(0, key.size() - 3) : ByteString()) + "OGG";
}

SoundCache::SoundCache(AudioMixer* audio, GameDir* dir, TResDb* archive, SoundCacheGame game)
    : audio_(audio), dir_(dir), archive_(archive), game_(std::move(game)) {}

bool SoundCache::ReadSource(const ByteString& name, std::vector<uint8_t>& data, std::filesystem::path& file) {
  const ByteString relative = "sounds\\" + name;
  if (dir_) {
    if (auto path = dir_->Find(relative)) {
      std::error_code ec;
      if (std::filesystem::is_regular_file(*path, ec)) {
        file = *path;
        return true;
      }
    }
  }
  if (!archive_ || !archive_->EnsureTable()) return false;
  const ByteString recordName = ArchiveName(relative);
  const TResRecord* record = archive_->Record(archive_->IndexOf(recordName));
  if (!record || record->unpackedSize < 0 || static_cast<uintmax_t>(record->unpackedSize) > kMaxSourceBytes)
    return false;
  return archive_->ReadRecord(recordName, data);
}

AudioHandle SoundCache::LoadSample(std::string_view name) {
  const ByteString key = UpperCase(ByteString(name));
  for (const SoundEntry& e : sounds_)
    if (e.name == key) return e.handle;
  AudioHandle handle = 0;
  std::vector<uint8_t> data;
  std::filesystem::path file;
  if (audio_ && ReadSource(key, data, file))
    handle = file.empty() ? audio_->LoadSample(data.data(), data.size()) : audio_->LoadSampleFile(file);
  sounds_.push_back({key, handle});
  if (game_.resetTimer) game_.resetTimer();
  return handle;
}

AudioHandle SoundCache::LoadStream(std::string_view name) {
  const ByteString key = UpperCase(ByteString(name));
  for (const TSound& m : music_)
    if (m.name == key) return m.handle;
  TSound sound;
  sound.name = key;
  sound.handle = audio_ ? OpenStream(key) : 0;
  music_.push_back(sound);
  if (game_.resetTimer) game_.resetTimer();
  return sound.handle;
}

// Music plays from where it lies: the file, or the archive record unpacked as
// it plays (only what the decoder needs next is held in memory).
AudioHandle SoundCache::OpenStream(const ByteString& name) {
  const ByteString relative = "sounds\\" + name;
  if (dir_) {
    if (auto path = dir_->Find(relative)) {
      std::error_code ec;
      if (std::filesystem::is_regular_file(*path, ec)) return audio_->StreamCreateFile(*path);
    }
  }
  if (!archive_ || !archive_->EnsureTable()) return 0;
  const ByteString recordName = ArchiveName(relative);
  const TResRecord* record = archive_->Record(archive_->IndexOf(recordName));
  if (!record || record->unpackedSize < 0 || static_cast<uintmax_t>(record->unpackedSize) > kMaxSourceBytes) return 0;
  return audio_->StreamCreateFrom(archive_->OpenRecordSource(recordName), recordName + " in " + archive_->FileName());
}

void SoundCache::PlaySound(std::string_view name, int volume) {
  const ByteString key = UpperCase(ByteString(name));
  const ByteString alternative = OggAlternative(key);
  AudioHandle handle = 0;
  for (const SoundEntry& e : sounds_)
    if (e.name == key || e.name == alternative) {
      handle = e.handle;
      break;
    }
  if (!handle) handle = LoadSample(key);
  if (!handle) handle = LoadSample(alternative);
  if (!handle || !audio_) return;
  AudioHandle channel = audio_->SampleGetChannel(handle);
  audio_->SetVolume(channel, SoundVolume() * volume / 100);
  audio_->Play(channel, false);
}

TSound* SoundCache::FindMusic(const ByteString& key, const ByteString& alternative) {
  for (TSound& m : music_)
    if ((m.name == key || m.name == alternative) && m.handle) return &m;
  return nullptr;
}

void SoundCache::PlayMusic(std::string_view name, int volume) {
  const ByteString key = UpperCase(ByteString(name));
  const ByteString alternative = OggAlternative(key);
  TSound* music = FindMusic(key, alternative);
  if (!music) {
    if (!LoadStream(key)) LoadStream(alternative);
    music = FindMusic(key, alternative);
  }
  if (!music || !audio_) return;
  music->target = volume / 100.0;
  music->step = (music->target - music->factor) / kFadeInSteps;
  if (!audio_->IsActive(music->handle)) {
    music->factor = 0;
    music->step = music->target / kFadeInSteps;
    audio_->SetVolume(music->handle, 0);
    audio_->Play(music->handle, true);
  }
}

void SoundCache::FadeOutMusic() {
  for (TSound& m : music_) {
    m.target = 0;
    m.step = m.factor / -kFadeOutSteps;
    // Already silent: a fade of zero steps would never reach its end.
    if (m.factor <= 0 && m.handle && audio_ && audio_->IsActive(m.handle)) audio_->Stop(m.handle);
  }
}

void SoundCache::UpdateMusic() {
  if (!audio_) return;
  for (TSound& m : music_) {
    if (!m.handle || !audio_->IsActive(m.handle)) continue;
    m.factor += m.step;
    if (m.step > 0 && m.factor >= m.target - kFadeSlack) {
      m.step = 0;
      m.factor = m.target;
    } else if (m.step < 0 && m.factor <= m.target + kFadeSlack) {
      m.step = 0;
      m.factor = m.target;
      if (m.target == 0) audio_->Stop(m.handle);
    }
    audio_->SetVolume(m.handle, static_cast<int>(std::nearbyint(MusicVolume() * m.factor)));
  }
}

}  // namespace qel
