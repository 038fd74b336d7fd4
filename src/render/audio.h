#pragma once
// The audio layer: decoded samples (sound effects) and looped streams
// (music), mixed by our own code into 16-bit 44.1 kHz stereo. SDL2_mixer
// opens the output and decodes the files (WAV, OGG, MP3, FLAC); every mixed
// frame passes one place, so a capture file holds exactly what was played.
//
// Two clocks drive the mix:
// - the device: the output callback pulls frames as the sound card needs them;
// - the caller (manual clock): Advance(frames) mixes that many frames, and the
//   device only plays what was advanced. Headless runs and tests use this so
//   that one process step is exactly kFramesPerStep frames of output.
//
// Music streams are decoded while they play (music_stream.h): a playing
// stream holds its decoder and one fragment, not the decoded track. Kinds not
// decoded that way, and every stream when Options::streamMusic is off, are
// decoded whole when created; both ways give the same samples.
//
// Handles are plain numbers, 0 meaning "none" or "failed". Calls with handle 0
// or an unknown handle do nothing. The output is the process's one SDL_mixer
// device, so one mixer is open at a time.
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qel {

class ByteSource;
class MusicStream;

using AudioHandle = uint32_t;

class AudioMixer {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;
  static constexpr int kFramesPerStep = kRate / 30;  // one process step
  static constexpr int kMaxPlaybacks = 3;             // per sample

  static bool StreamMusicByDefault();

  struct Options {
    // Advance() drives the mix instead of the output device.
    bool manualClock = false;
    // Open no output device at all (decoding still works).
    bool noDevice = false;
    // Music decoded while it plays; off, every stream is decoded whole when
    // it is created. On unless QEL_NO_FAST_PATHS is set (and not "0").
    bool streamMusic = StreamMusicByDefault();
  };


  AudioMixer();
  ~AudioMixer();
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;

  // Opens output. Never fails for the caller: without a usable device it
  // prints one line on stderr and goes on silently. True when a real device
  // plays the output.
  bool Open(const Options& options);
  void Close();
  bool HasDevice() const { return hasDevice_; }
  bool CanDecode() const { return decoderReady_; }

  // Samples: decoded whole; at most kMaxPlaybacks at once.
  AudioHandle LoadSample(const uint8_t* data, size_t size);
  AudioHandle LoadSampleFile(const std::filesystem::path& path);
  // A channel of the sample: a free playback, else the one furthest from its
  // start is taken over (stopped and rewound).
  AudioHandle SampleGetChannel(AudioHandle sample);

  // Streams: looped music, each playing on its own with its own volume.
  // Streamed from memory, the bytes are copied.
  AudioHandle StreamCreate(const uint8_t* data, size_t size);
  AudioHandle StreamCreateFile(const std::filesystem::path& path);
  // From any source (an archive record); `label` names it in messages.
  AudioHandle StreamCreateFrom(std::unique_ptr<ByteSource> source, const std::string& label);

  // True for a stream decoded while it plays (false: decoded whole).
  bool Streamed(AudioHandle stream) const;

  // Channels (sample playbacks and streams).
  bool IsActive(AudioHandle channel) const;
  int Volume(AudioHandle channel) const;               // 0..100
  void SetVolume(AudioHandle channel, int volume);     // clamped to 0..100
  void Play(AudioHandle channel, bool restart);
  void Stop(AudioHandle channel);

  // All output.
  void Pause();
  void Start();
  bool Paused() const;

  // Mirrors the mixed output into a WAV file (16-bit, 44.1 kHz, stereo).
  bool StartCapture(const std::filesystem::path& path);
  void StopCapture();
  // Manual clock: mixes `frames` frames (silence while paused).
  void Advance(int frames);
  // Frames mixed (or passed in silence while paused) since Open.
  int64_t FramesMixed() const;

 private:
  struct Pcm {
    std::vector<int16_t> frames;  // interleaved stereo
    size_t FrameCount() const { return frames.size() / kChannels; }
  };
  struct Voice {
    std::shared_ptr<const Pcm> pcm;       // decoded whole, or
    std::unique_ptr<MusicStream> stream;  // decoded while it plays
    size_t pos = 0;  // in frames
    int volume = 100;
    bool playing = false;
    bool loop = false;
  };
  struct Sample {
    std::shared_ptr<const Pcm> pcm;
    Voice voices[kMaxPlaybacks];
  };

  std::shared_ptr<const Pcm> Decode(const uint8_t* data, size_t size);
  std::shared_ptr<const Pcm> DecodeOurselves(const uint8_t* data, size_t size);
  std::shared_ptr<const Pcm> DecodeSource(ByteSource& source);
  AudioHandle AddStream(std::unique_ptr<Voice> voice);
  Voice* VoiceOf(AudioHandle channel);
  const Voice* VoiceOf(AudioHandle channel) const;
  void MixLocked(int16_t* out, int frames);
  void MixPcm(Voice& v, int frames);
  void MixStream(Voice& v, int frames);
  void WriteCapture(const int16_t* frames, int count);
  void FinishCaptureHeader();
  static void DeviceCallback(void* self, uint8_t* stream, int bytes);

  mutable std::mutex mutex_;
  Options options_;
  bool opened_ = false;
  bool hasDevice_ = false;
  bool decoderReady_ = false;
  bool paused_ = false;
  std::vector<std::unique_ptr<Sample>> samples_;
  std::vector<std::unique_ptr<Voice>> streams_;
  std::deque<int16_t> advanced_;  // manual clock: mixed, waiting for the device
  std::FILE* capture_ = nullptr;
  int64_t captureFrames_ = 0;
  int64_t framesMixed_ = 0;
  std::vector<int32_t> accumulator_;
};

}  // namespace qel
