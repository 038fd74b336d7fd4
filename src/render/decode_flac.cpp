// FLAC through libFLAC's stream decoder: 16, 20 and 24-bit samples cut to 16
// bits, three channels folded into two (half the centre on each side), then
// a conversion stream to the mixer's rate and channels.
#include <FLAC/stream_decoder.h>

#include <vector>

#include "render/music_decoder_internal.h"

namespace qel::music {
namespace {

class FlacDecoder final : public PcmDecoder {
 public:
  explicit FlacDecoder(SDL_RWops* rw) : PcmDecoder(rw) {}
  ~FlacDecoder() override {
    if (decoder_) {
      if (initialised_) FLAC__stream_decoder_finish(decoder_);
      FLAC__stream_decoder_delete(decoder_);
    }
    if (stream_) SDL_FreeAudioStream(stream_);
  }

  bool Open() {
    decoder_ = FLAC__stream_decoder_new();
    if (!decoder_) return false;
    FLAC__stream_decoder_set_metadata_respond(decoder_, FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (FLAC__stream_decoder_init_stream(decoder_, Read, Seek, Tell, Length, Eof, Write, Metadata, Error, this) !=
        FLAC__STREAM_DECODER_INIT_STATUS_OK)
      return false;
    initialised_ = true;
    if (!FLAC__stream_decoder_process_until_end_of_metadata(decoder_)) return false;
    // Played from the start, once (a failed seek is no failure to the loader).
    SDL_AudioStreamClear(stream_);
    if (!FLAC__stream_decoder_seek_absolute(decoder_, 0) &&
        FLAC__stream_decoder_get_state(decoder_) == FLAC__STREAM_DECODER_SEEK_ERROR)
      FLAC__stream_decoder_flush(decoder_);
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
    if (!FLAC__stream_decoder_process_single(decoder_)) return -1;
    if (FLAC__stream_decoder_get_state(decoder_) == FLAC__STREAM_DECODER_END_OF_STREAM) {
      finished_ = true;
      SDL_AudioStreamFlush(stream_);
    }
    return 0;
  }

 private:
  static FlacDecoder& Self(void* me) { return *static_cast<FlacDecoder*>(me); }

  static FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes,
                                            void* me) {
    if (*bytes == 0) return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    *bytes = SDL_RWread(Self(me).rw_, buffer, 1, *bytes);
    return *bytes == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
  }
  static FLAC__StreamDecoderSeekStatus Seek(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* me) {
    return SDL_RWseek(Self(me).rw_, static_cast<Sint64>(offset), RW_SEEK_SET) < 0 ? FLAC__STREAM_DECODER_SEEK_STATUS_ERROR
                                                                                  : FLAC__STREAM_DECODER_SEEK_STATUS_OK;
  }
  static FLAC__StreamDecoderTellStatus Tell(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* me) {
    const Sint64 pos = SDL_RWtell(Self(me).rw_);
    if (pos < 0) return FLAC__STREAM_DECODER_TELL_STATUS_ERROR;
    *offset = static_cast<FLAC__uint64>(pos);
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
  }
  static FLAC__StreamDecoderLengthStatus Length(const FLAC__StreamDecoder*, FLAC__uint64* length, void* me) {
    SDL_RWops* rw = Self(me).rw_;
    const Sint64 pos = SDL_RWtell(rw);
    const Sint64 end = SDL_RWseek(rw, 0, RW_SEEK_END);
    if (SDL_RWseek(rw, pos, RW_SEEK_SET) != pos || end < 0) return FLAC__STREAM_DECODER_LENGTH_STATUS_ERROR;
    *length = static_cast<FLAC__uint64>(end);
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
  }
  static FLAC__bool Eof(const FLAC__StreamDecoder*, void* me) {
    SDL_RWops* rw = Self(me).rw_;
    const Sint64 pos = SDL_RWtell(rw);
    if (pos == SDL_RWseek(rw, 0, RW_SEEK_END)) return true;
    SDL_RWseek(rw, pos, RW_SEEK_SET);
    return false;
  }

  static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                              const FLAC__int32* const buffer[], void* me) {
    return Self(me).Put(frame->header.blocksize, buffer) ? FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE
                                                         : FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
  }

  bool Put(unsigned frames, const FLAC__int32* const buffer[]) {
    if (!stream_) return false;
    int shift = 0;
    switch (bits_) {
      case 16: shift = 0; break;
      case 20: shift = 4; break;
      case 24: shift = 8; break;
      default: return false;
    }
    const unsigned channels = channels_ == 3 ? 2 : channels_;
    samples_.resize(static_cast<size_t>(frames) * channels);
    int16_t* dst = samples_.data();
    if (channels_ == 3) {
      auto clamp = [](int v) { return static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v); };
      for (unsigned i = 0; i < frames; ++i) {
        const auto left = static_cast<int16_t>(buffer[0][i] >> shift);
        const auto right = static_cast<int16_t>(buffer[1][i] >> shift);
        const auto centre = static_cast<int16_t>(static_cast<float>(buffer[2][i] >> shift) * 0.5f);
        *dst++ = clamp(left + centre);
        *dst++ = clamp(right + centre);
      }
    } else {
      for (unsigned c = 0; c < channels; ++c)
        for (unsigned i = 0; i < frames; ++i) dst[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(buffer[c][i] >> shift);
    }
    SDL_AudioStreamPut(stream_, samples_.data(), static_cast<int>(samples_.size() * sizeof(int16_t)));
    return true;
  }

  static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* me) {
    if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO) return;
    FlacDecoder& self = Self(me);
    const auto& info = metadata->data.stream_info;
    self.channels_ = info.channels;
    self.bits_ = info.bits_per_sample;
    const int channels = info.channels == 3 ? 2 : static_cast<int>(info.channels);
    if (self.stream_) SDL_FreeAudioStream(self.stream_);
    self.stream_ = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(channels), static_cast<int>(info.sample_rate),
                                      kOutFormat, kOutChannels, kOutRate);
  }

  static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}

  FLAC__StreamDecoder* decoder_ = nullptr;
  bool initialised_ = false;
  unsigned channels_ = 0;
  unsigned bits_ = 0;
  bool finished_ = false;
  SDL_AudioStream* stream_ = nullptr;
  std::vector<int16_t> samples_;
};

}  // namespace

std::unique_ptr<MusicDecoder> OpenFlac(SDL_RWops* rw) {
  auto decoder = std::make_unique<FlacDecoder>(rw);
  if (!decoder->Open()) return nullptr;
  return decoder;
}

}  // namespace qel::music
