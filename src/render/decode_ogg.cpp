// Ogg Vorbis through libvorbisfile: 16-bit samples of the file's own rate and
// channels, converted to the mixer's by a conversion stream that is made
// again whenever a chained section changes them.
#include <vorbis/vorbisfile.h>

#include <vector>

#include "render/music_decoder_internal.h"

namespace qel::music {
namespace {

size_t ReadOgg(void* ptr, size_t size, size_t count, void* rw) {
  return SDL_RWread(static_cast<SDL_RWops*>(rw), ptr, size, count);
}
int SeekOgg(void* rw, ogg_int64_t offset, int whence) {
  return SDL_RWseek(static_cast<SDL_RWops*>(rw), offset, whence) < 0 ? -1 : 0;
}
long TellOgg(void* rw) { return static_cast<long>(SDL_RWtell(static_cast<SDL_RWops*>(rw))); }

class OggDecoder final : public PcmDecoder {
 public:
  explicit OggDecoder(SDL_RWops* rw) : PcmDecoder(rw) {}
  ~OggDecoder() override {
    if (open_) ov_clear(&file_);
    if (stream_) SDL_FreeAudioStream(stream_);
  }

  bool Open() {
    ov_callbacks callbacks{};
    callbacks.read_func = ReadOgg;
    callbacks.seek_func = SeekOgg;
    callbacks.tell_func = TellOgg;
    if (ov_open_callbacks(rw_, &file_, nullptr, 0, callbacks) < 0) return false;
    open_ = true;
    if (!UpdateSection()) return false;
    // Played from the start, once (a failed seek is no failure to the loader).
    ov_time_seek(&file_, 0.0);
    return true;
  }

 protected:
  int GetSome(uint8_t* data, int bytes, bool& done) override {
    const int filled = SDL_AudioStreamGet(stream_, data, bytes);
    if (filled != 0) return filled;
    if (finished_) {
      done = true;
      return 0;
    }
    int section = section_;
    const long amount = ov_read(&file_, buffer_.data(), static_cast<int>(buffer_.size()),
                                SDL_BYTEORDER == SDL_BIG_ENDIAN, 2, 1, &section);
    if (amount < 0) return -1;
    if (section != section_) {
      section_ = section;
      if (!UpdateSection()) return -1;
    }
    if (amount > 0) {
      if (SDL_AudioStreamPut(stream_, buffer_.data(), static_cast<int>(amount)) < 0) return -1;
    } else {
      finished_ = true;
      SDL_AudioStreamFlush(stream_);
    }
    return 0;
  }

 private:
  bool UpdateSection() {
    const vorbis_info* info = ov_info(&file_, -1);
    if (!info) return false;
    if (info->channels == channels_ && info->rate == rate_) return true;
    channels_ = info->channels;
    rate_ = info->rate;
    if (stream_) SDL_FreeAudioStream(stream_);
    stream_ = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(channels_), static_cast<int>(rate_), kOutFormat,
                                 kOutChannels, kOutRate);
    if (!stream_) return false;
    buffer_.assign(static_cast<size_t>(kOutSamples) * sizeof(int16_t) * static_cast<size_t>(channels_), 0);
    return true;
  }

  OggVorbis_File file_{};
  bool open_ = false;
  int channels_ = 0;
  long rate_ = 0;
  int section_ = -1;
  bool finished_ = false;
  SDL_AudioStream* stream_ = nullptr;
  std::vector<char> buffer_;
};

}  // namespace

std::unique_ptr<MusicDecoder> OpenOgg(SDL_RWops* rw) {
  auto decoder = std::make_unique<OggDecoder>(rw);
  if (!decoder->Open()) return nullptr;
  return decoder;
}

}  // namespace qel::music
