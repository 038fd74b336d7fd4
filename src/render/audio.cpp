#include "render/audio.h"

#include <SDL.h>
#include <dlfcn.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "render/byte_source.h"
#include "render/mp3_tag_guard.h"
#include "render/music_decoder.h"
#include "render/music_stream.h"

namespace qel {
namespace {

constexpr AudioHandle kTagMask = 0xF0000000u;
constexpr AudioHandle kSampleTag = 0x10000000u;
constexpr AudioHandle kVoiceTag = 0x20000000u;
constexpr AudioHandle kStreamTag = 0x30000000u;
constexpr uintmax_t kMaxSourceBytes = 256u << 20;
constexpr size_t kMaxDeviceBacklog = AudioMixer::kRate * AudioMixer::kChannels * 2;  // two seconds

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// A canonical 44-byte header for 16-bit PCM at the mixer's rate.
void WavHeader(uint8_t* h, int64_t frames) {
  const uint32_t dataBytes = static_cast<uint32_t>(std::min<int64_t>(frames * 4, 0xFFFFFFF0LL - 36));
  std::memcpy(h, "RIFF", 4);
  PutLe32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLe32(h + 16, 16);
  PutLe16(h + 20, 1);
  PutLe16(h + 22, AudioMixer::kChannels);
  PutLe32(h + 24, AudioMixer::kRate);
  PutLe32(h + 28, AudioMixer::kRate * AudioMixer::kChannels * 2);
  PutLe16(h + 32, AudioMixer::kChannels * 2);
  PutLe16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  PutLe32(h + 40, dataBytes);
}

bool ReadLimitedFile(const std::filesystem::path& path, std::vector<uint8_t>& out) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxSourceBytes) return false;
  std::FILE* f = std::fopen(path.string().c_str(), "rb");
  if (!f) return false;
  out.resize(static_cast<size_t>(size));
  bool ok = std::fread(out.data(), 1, out.size(), f) == out.size();
  std::fclose(f);
  return ok;
}

// ALSA reports every missing card on stderr before SDL gets to say that
// opening failed. We print one line of our own instead.
void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa() {
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  static bool done = false;
  if (done) return;
  done = true;
  // Kept loaded for the process: SDL opens the same library later.
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY);
  if (!alsa) return;
  if (auto set = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler")))
    set(&SilentAlsaError);
}

}  // namespace

bool AudioMixer::StreamMusicByDefault() {
  const char* v = std::getenv("QEL_NO_FAST_PATHS");
  return !v || !*v || (v[0] == '0' && !v[1]);
}

AudioMixer::AudioMixer() = default;

AudioMixer::~AudioMixer() { Close(); }

bool AudioMixer::Open(const Options& options) {
  Close();
  options_ = options;
  QuietAlsa();
  std::string reason = "none asked for";
  bool device = false;
  if (!options.noDevice) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
      if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, kChannels, 1024, nullptr, 0) == 0) {
        const char* driver = SDL_GetCurrentAudioDriver();
        device = !driver || std::strcmp(driver, "dummy") != 0;
        decoderReady_ = true;
        opened_ = true;
      } else {
        reason = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
      }
    } else {
      reason = SDL_GetError();
    }
  }
  if (!opened_) {
    // No usable output: decode and mix into the void of the dummy driver.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
      opened_ = true;
      decoderReady_ = Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, kChannels, 1024, nullptr, 0) == 0;
    }
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  }
  if (decoderReady_) {
    Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC);
    Mix_HookMusic(&AudioMixer::DeviceCallback, this);
  }
  hasDevice_ = device;
  if (!device && !options.noDevice)
    std::fprintf(stderr, "Audio: no sound device (%s); playing silently\n",
                 reason == "none asked for" ? "dummy output" : reason.c_str());
  return device;
}

void AudioMixer::Close() {
  StopCapture();
  if (decoderReady_) {
    Mix_HookMusic(nullptr, nullptr);
    Mix_CloseAudio();
  }
  if (opened_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  std::lock_guard<std::mutex> lock(mutex_);
  opened_ = hasDevice_ = decoderReady_ = paused_ = false;
  samples_.clear();
  streams_.clear();
  advanced_.clear();
  framesMixed_ = 0;
}

std::shared_ptr<const AudioMixer::Pcm> AudioMixer::Decode(const uint8_t* data, size_t size) {
  if (!decoderReady_ || !data || size == 0 || size > kMaxSourceBytes) return nullptr;
  if (LoaderMayOverrunOnTags(data, size)) return DecodeOurselves(data, size);
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (!rw) return nullptr;
  Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 1);
  if (!chunk) return nullptr;
  auto pcm = std::make_shared<Pcm>();
  const size_t values = chunk->alen / sizeof(int16_t) / kChannels * kChannels;
  pcm->frames.resize(values);
  std::memcpy(pcm->frames.data(), chunk->abuf, values * sizeof(int16_t));
  Mix_FreeChunk(chunk);
  if (pcm->frames.empty()) return nullptr;
  return pcm;
}

std::shared_ptr<const AudioMixer::Pcm> AudioMixer::DecodeOurselves(const uint8_t* data, size_t size) {
  auto source = MemorySource(std::string(reinterpret_cast<const char*>(data), size));
  auto decoder = OpenMusicDecoder(*source);
  if (!decoder) {
    std::fprintf(stderr, "Audio: an MP3 whose tags cannot be read safely is left silent\n");
    return nullptr;
  }
  auto pcm = std::make_shared<Pcm>();
  std::vector<int16_t> fragment(MusicDecoder::kFragmentBytes / sizeof(int16_t));
  for (bool last = false; !last;) {
    const int bytes = decoder->NextFragment(reinterpret_cast<uint8_t*>(fragment.data()), last);
    pcm->frames.insert(pcm->frames.end(), fragment.begin(), fragment.begin() + bytes / 4 * kChannels);
  }
  if (pcm->frames.empty()) return nullptr;
  return pcm;
}

AudioHandle AudioMixer::LoadSample(const uint8_t* data, size_t size) {
  auto pcm = Decode(data, size);
  if (!pcm) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  auto sample = std::make_unique<Sample>();
  sample->pcm = pcm;
  for (Voice& v : sample->voices) v.pcm = pcm;
  samples_.push_back(std::move(sample));
  return kSampleTag | static_cast<AudioHandle>(samples_.size());
}

AudioHandle AudioMixer::LoadSampleFile(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes;
  if (!ReadLimitedFile(path, bytes)) return 0;
  return LoadSample(bytes.data(), bytes.size());
}

AudioHandle AudioMixer::SampleGetChannel(AudioHandle sample) {
  std::lock_guard<std::mutex> lock(mutex_);
  if ((sample & kTagMask) != kSampleTag) return 0;
  const size_t index = (sample & ~kTagMask) - 1;
  if (index >= samples_.size()) return 0;
  Voice* voices = samples_[index]->voices;
  int slot = -1;
  for (int i = 0; i < kMaxPlaybacks && slot < 0; ++i)
    if (!voices[i].playing) slot = i;
  if (slot < 0) {  // all busy: take over the one furthest from its start
    slot = 0;
    for (int i = 1; i < kMaxPlaybacks; ++i)
      if (voices[i].pos > voices[slot].pos) slot = i;
  }
  Voice& v = voices[slot];
  v.playing = false;
  v.pos = 0;
  v.volume = 100;
  return kVoiceTag | static_cast<AudioHandle>(index * 4 + static_cast<size_t>(slot));
}

std::shared_ptr<const AudioMixer::Pcm> AudioMixer::DecodeSource(ByteSource& source) {
  const int64_t size = source.Size();
  if (size <= 0 || static_cast<uintmax_t>(size) > kMaxSourceBytes) return nullptr;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (source.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) return nullptr;
  return Decode(bytes.data(), bytes.size());
}

AudioHandle AudioMixer::AddStream(std::unique_ptr<Voice> voice) {
  voice->loop = true;
  std::lock_guard<std::mutex> lock(mutex_);
  streams_.push_back(std::move(voice));
  return kStreamTag | static_cast<AudioHandle>(streams_.size());
}

AudioHandle AudioMixer::StreamCreate(const uint8_t* data, size_t size) {
  if (!data || size == 0 || size > kMaxSourceBytes) return 0;
  if (!options_.streamMusic) {
    auto pcm = Decode(data, size);
    if (!pcm) return 0;
    auto voice = std::make_unique<Voice>();
    voice->pcm = std::move(pcm);
    return AddStream(std::move(voice));
  }
  return StreamCreateFrom(MemorySource(std::string(reinterpret_cast<const char*>(data), size)), "in memory");
}

AudioHandle AudioMixer::StreamCreateFile(const std::filesystem::path& path) {
  return StreamCreateFrom(OpenFileSource(path, kMaxSourceBytes), path.string());
}

AudioHandle AudioMixer::StreamCreateFrom(std::unique_ptr<ByteSource> source, const std::string& label) {
  if (!decoderReady_ || !source) return 0;
  auto voice = std::make_unique<Voice>();
  if (options_.streamMusic) voice->stream = MusicStream::Open(source, label);
  // Kinds not decoded while playing are decoded whole, as every stream is
  // with streaming off.
  if (!voice->stream && !(voice->pcm = DecodeSource(*source))) return 0;
  return AddStream(std::move(voice));
}

AudioMixer::Voice* AudioMixer::VoiceOf(AudioHandle channel) {
  const size_t n = channel & ~kTagMask;
  switch (channel & kTagMask) {
    case kVoiceTag:
      if (n / 4 < samples_.size() && n % 4 < kMaxPlaybacks) return &samples_[n / 4]->voices[n % 4];
      return nullptr;
    case kStreamTag:
      if (n >= 1 && n <= streams_.size()) return streams_[n - 1].get();
      return nullptr;
    default:
      return nullptr;
  }
}

const AudioMixer::Voice* AudioMixer::VoiceOf(AudioHandle channel) const {
  return const_cast<AudioMixer*>(this)->VoiceOf(channel);
}

bool AudioMixer::Streamed(AudioHandle stream) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Voice* v = (stream & kTagMask) == kStreamTag ? VoiceOf(stream) : nullptr;
  return v && v->stream;
}

bool AudioMixer::IsActive(AudioHandle channel) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Voice* v = VoiceOf(channel);
  return v && v->playing;
}

int AudioMixer::Volume(AudioHandle channel) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Voice* v = VoiceOf(channel);
  return v ? v->volume : 0;
}

void AudioMixer::SetVolume(AudioHandle channel, int volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Voice* v = VoiceOf(channel)) v->volume = std::clamp(volume, 0, 100);
}

void AudioMixer::Play(AudioHandle channel, bool restart) {
  std::lock_guard<std::mutex> lock(mutex_);
  Voice* v = VoiceOf(channel);
  if (!v) return;
  if (restart) {
    v->pos = 0;
    if (v->stream) v->stream->Rewind();
  }
  v->playing = true;
}

void AudioMixer::Stop(AudioHandle channel) {
  std::lock_guard<std::mutex> lock(mutex_);
  Voice* v = VoiceOf(channel);
  if (!v) return;
  v->playing = false;
  // A stopped stream keeps its place but not its decoder.
  if (v->stream) v->stream->Park();
}

void AudioMixer::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = true;
}

void AudioMixer::Start() {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = false;
}

bool AudioMixer::Paused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return paused_;
}

void AudioMixer::MixPcm(Voice& v, int frames) {
  const size_t length = v.pcm->FrameCount();
  const int16_t* src = v.pcm->frames.data();
  const int32_t volume = v.volume;
  size_t done = 0;
  while (done < static_cast<size_t>(frames) && v.playing) {
    const size_t run = std::min(static_cast<size_t>(frames) - done, length - v.pos);
    const int16_t* s = src + v.pos * kChannels;
    int32_t* d = accumulator_.data() + done * kChannels;
    for (size_t i = 0; i < run * kChannels; ++i) d[i] += s[i] * volume / 100;
    done += run;
    v.pos += run;
    if (v.pos >= length) {
      v.pos = 0;
      if (!v.loop) v.playing = false;
    }
  }
}

void AudioMixer::MixStream(Voice& v, int frames) {
  MusicStream& stream = *v.stream;
  const int32_t volume = v.volume;
  size_t done = 0;
  bool rewound = false;
  while (done < static_cast<size_t>(frames) && v.playing) {
    const int16_t* s = nullptr;
    const size_t ready = stream.Ready(s);
    if (ready == 0) {
      if (stream.Error().empty() && !rewound) {  // the end of a pass: loop
        stream.Rewind();
        rewound = true;
        continue;
      }
      std::fprintf(stderr, "Audio: music %s: %s; it stops\n", stream.Label().c_str(),
                   stream.Error().empty() ? "it gives no sound any more" : stream.Error().c_str());
      v.playing = false;
      stream.Park();
      break;
    }
    rewound = false;
    const size_t run = std::min(static_cast<size_t>(frames) - done, ready);
    int32_t* d = accumulator_.data() + done * kChannels;
    for (size_t i = 0; i < run * kChannels; ++i) d[i] += s[i] * volume / 100;
    stream.Consume(run);
    done += run;
  }
}

void AudioMixer::MixLocked(int16_t* out, int frames) {
  const size_t values = static_cast<size_t>(frames) * kChannels;
  accumulator_.assign(values, 0);
  for (auto& sample : samples_)
    for (Voice& v : sample->voices)
      if (v.playing && v.pcm) MixPcm(v, frames);
  for (auto& stream : streams_) {
    if (!stream->playing) continue;
    if (stream->stream)
      MixStream(*stream, frames);
    else if (stream->pcm)
      MixPcm(*stream, frames);
  }
  for (size_t i = 0; i < values; ++i)
    out[i] = static_cast<int16_t>(std::clamp<int32_t>(accumulator_[i], -32768, 32767));
  framesMixed_ += frames;
}

void AudioMixer::Advance(int frames) {
  if (frames <= 0 || !options_.manualClock) return;
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<int16_t> block(static_cast<size_t>(frames) * kChannels, 0);
  if (paused_)
    framesMixed_ += frames;
  else
    MixLocked(block.data(), frames);
  WriteCapture(block.data(), frames);
  if (hasDevice_) {
    advanced_.insert(advanced_.end(), block.begin(), block.end());
    if (advanced_.size() > kMaxDeviceBacklog)
      advanced_.erase(advanced_.begin(), advanced_.begin() + static_cast<std::ptrdiff_t>(advanced_.size() - kMaxDeviceBacklog));
  }
}

int64_t AudioMixer::FramesMixed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return framesMixed_;
}

void AudioMixer::DeviceCallback(void* self, uint8_t* stream, int bytes) {
  auto* mixer = static_cast<AudioMixer*>(self);
  std::lock_guard<std::mutex> lock(mixer->mutex_);
  auto* out = reinterpret_cast<int16_t*>(stream);
  const int frames = bytes / static_cast<int>(sizeof(int16_t) * kChannels);
  if (mixer->options_.manualClock) {
    // Plays what the caller advanced; silence when it falls behind.
    const size_t want = static_cast<size_t>(frames) * kChannels;
    const size_t have = std::min(want, mixer->advanced_.size());
    std::copy_n(mixer->advanced_.begin(), have, out);
    mixer->advanced_.erase(mixer->advanced_.begin(), mixer->advanced_.begin() + static_cast<std::ptrdiff_t>(have));
    std::fill(out + have, out + want, 0);
    return;
  }
  if (mixer->paused_) {
    std::memset(stream, 0, static_cast<size_t>(bytes));
    return;
  }
  mixer->MixLocked(out, frames);
  mixer->WriteCapture(out, frames);
}

bool AudioMixer::StartCapture(const std::filesystem::path& path) {
  StopCapture();
  std::FILE* f = std::fopen(path.string().c_str(), "wb");
  if (!f) return false;
  uint8_t header[44];
  WavHeader(header, 0);
  std::fwrite(header, 1, sizeof header, f);
  std::lock_guard<std::mutex> lock(mutex_);
  capture_ = f;
  captureFrames_ = 0;
  return true;
}

void AudioMixer::WriteCapture(const int16_t* frames, int count) {
  if (!capture_) return;
  if constexpr (std::endian::native == std::endian::little) {
    std::fwrite(frames, sizeof(int16_t) * kChannels, static_cast<size_t>(count), capture_);
  } else {
    for (int i = 0; i < count * kChannels; ++i) {
      uint8_t b[2];
      PutLe16(b, static_cast<uint16_t>(frames[i]));
      std::fwrite(b, 1, 2, capture_);
    }
  }
  const int64_t before = captureFrames_;
  captureFrames_ += count;
  // Keep the header current about once a second, so a cut-off run still
  // leaves a readable file.
  if (before / kRate != captureFrames_ / kRate) FinishCaptureHeader();
}

void AudioMixer::FinishCaptureHeader() {
  uint8_t header[44];
  WavHeader(header, captureFrames_);
  std::fflush(capture_);
  long end = std::ftell(capture_);
  std::fseek(capture_, 0, SEEK_SET);
  std::fwrite(header, 1, sizeof header, capture_);
  std::fseek(capture_, end, SEEK_SET);
}

void AudioMixer::StopCapture() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!capture_) return;
  FinishCaptureHeader();
  std::fclose(capture_);
  capture_ = nullptr;
}

}  // namespace qel
