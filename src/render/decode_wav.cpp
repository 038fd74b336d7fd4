// WAV holding 8 or 16-bit PCM at the mixer's rate, in one or two channels:
// the data chunk read a fragment at a time and converted as the whole-file
// loader converts it all at once. Without a change of rate every sample
// converts on its own, so fragments of 1024 frames in a 16-byte aligned
// buffer go through exactly the conversion steps the whole buffer does
// (SDL's float-to-16-bit step rounds in its vector part and truncates in the
// rest, and a multiple of 8 values keeps the parts where they were).
#include <algorithm>
#include <cstring>
#include <vector>

#include "render/music_decoder_internal.h"

namespace qel::music {
namespace {

constexpr uint32_t FourCc(const char (&s)[5]) {
  return static_cast<uint32_t>(s[0]) | static_cast<uint32_t>(s[1]) << 8 | static_cast<uint32_t>(s[2]) << 16 |
         static_cast<uint32_t>(s[3]) << 24;
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

struct Chunk {
  uint32_t fourcc = 0;
  int64_t position = 0;  // of its data
  int64_t length = 0;
};

// The layout the loader reads without surprises: a RIFF form, chunks in a
// row, the first fmt chunk before the first data chunk. Anything else (and
// anything the loader's hints would change) goes the whole-file way.
struct WavLayout {
  Chunk fmt, data;
  bool Read(SDL_RWops* rw) {
    if (SDL_GetHint(SDL_HINT_WAVE_RIFF_CHUNK_SIZE) || SDL_GetHint(SDL_HINT_WAVE_TRUNCATION) ||
        SDL_GetHint(SDL_HINT_WAVE_FACT_CHUNK) || SDL_getenv("SDL_WAVE_CHUNK_LIMIT"))
      return false;
    const int64_t size = SDL_RWsize(rw);
    uint8_t h[12];
    if (SDL_RWseek(rw, 0, RW_SEEK_SET) != 0 || SDL_RWread(rw, h, 1, 12) != 12) return false;
    if (Le32(h) != FourCc("RIFF") || Le32(h + 8) != FourCc("WAVE")) return false;
    const uint32_t riffLength = Le32(h + 4);
    const int64_t riffEnd = 8 + (riffLength == 0 ? int64_t{0xFFFFFFFF} : int64_t{riffLength});
    Chunk chunk{0, 12, 0};
    for (int count = 0; riffEnd > chunk.position + chunk.length + (chunk.length & 1); ++count) {
      if (count >= 10000) return false;
      const int64_t next = chunk.position + chunk.length + (chunk.length & 1);
      if (next > size) return false;
      uint8_t header[8];
      SDL_RWseek(rw, next, RW_SEEK_SET);
      if (SDL_RWread(rw, header, 4, 2) != 2) break;
      chunk = {Le32(header), next + 8, Le32(header + 4)};
      if (chunk.fourcc == FourCc("fmt ") && !fmt.fourcc) {
        if (data.fourcc) return false;
        fmt = chunk;
      } else if (chunk.fourcc == FourCc("data") && !data.fourcc) {
        data = chunk;
      }
      if (fmt.fourcc && data.fourcc) return true;
    }
    return false;
  }
};

class WavDecoder final : public MusicDecoder {
 public:
  explicit WavDecoder(SDL_RWops* rw) : MusicDecoder(rw) {}

  bool Open() {
    WavLayout layout;
    if (!layout.Read(rw_) || layout.fmt.length < 16) return false;
    uint8_t f[16];
    if (SDL_RWseek(rw_, layout.fmt.position, RW_SEEK_SET) != layout.fmt.position || SDL_RWread(rw_, f, 1, 16) != 16)
      return false;
    const uint16_t tag = Le16(f), channels = Le16(f + 2), blockAlign = Le16(f + 12), bits = Le16(f + 14);
    if (tag != 1 || (channels != 1 && channels != 2) || Le32(f + 4) != kOutRate || (bits != 8 && bits != 16) ||
        blockAlign != channels * bits / 8)
      return false;
    // A data chunk cut short by the end of the file makes the loader ask for
    // room for what it claims: only it knows whether it gets that.
    if (layout.data.length > SDL_RWsize(rw_) - layout.data.position) return false;
    frameBytes_ = blockAlign;
    framesLeft_ = layout.data.length / blockAlign;
    at_ = layout.data.position;
    if (framesLeft_ <= 0) return false;
    const SDL_AudioFormat format = bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    convert_ = format != kOutFormat || channels != kOutChannels;
    if (convert_ && SDL_BuildAudioCVT(&cvt_, format, static_cast<Uint8>(channels), kOutRate, kOutFormat,
                                      kOutChannels, kOutRate) < 0)
      return false;
    work_.assign(static_cast<size_t>(kFragmentBytes) * (convert_ ? static_cast<size_t>(cvt_.len_mult) : 1) / sizeof(float) + 1, 0);
    return true;
  }

  int NextFragment(uint8_t* out, bool& last) override {
    const int64_t frames = std::min<int64_t>(kOutSamples, framesLeft_);
    const int bytes = static_cast<int>(frames * frameBytes_);
    auto* raw = reinterpret_cast<uint8_t*>(work_.data());
    SDL_RWseek(rw_, at_, RW_SEEK_SET);
    const int got = static_cast<int>(SDL_RWread(rw_, raw, 1, static_cast<size_t>(bytes)));
    at_ += got;
    framesLeft_ = got < bytes ? 0 : framesLeft_ - frames;
    last = framesLeft_ == 0;
    const int whole = got / frameBytes_ * frameBytes_;
    if (!convert_) {
      std::memcpy(out, raw, static_cast<size_t>(whole));
      return whole;
    }
    SDL_AudioCVT cvt = cvt_;
    cvt.buf = raw;
    cvt.len = whole;
    if (SDL_ConvertAudio(&cvt) < 0) {
      last = true;
      return 0;
    }
    std::memcpy(out, raw, static_cast<size_t>(cvt.len_cvt));
    return cvt.len_cvt;
  }

 private:
  SDL_AudioCVT cvt_{};
  bool convert_ = false;
  int frameBytes_ = 0;
  int64_t framesLeft_ = 0;
  int64_t at_ = 0;
  std::vector<float> work_;  // aligned as the loader's buffer from SDL_calloc
};

}  // namespace

std::unique_ptr<MusicDecoder> OpenWav(SDL_RWops* rw) {
  auto decoder = std::make_unique<WavDecoder>(rw);
  if (!decoder->Open()) return nullptr;
  return decoder;
}

}  // namespace qel::music
