// MP3 through libmpg123, which picks its output format among all it offers
// at every rate it knows; a conversion stream makes it the mixer's. The
// decoder sees the file without the tags at its end. Only the plain tag
// layouts are decoded here (an ID3v2 tag at the start, which mpg123 skips
// itself, and an ID3v1 tag at the end): files with other tags go the
// whole-file way.
#include <mpg123.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "render/music_decoder_internal.h"

namespace qel::music {
namespace {

// The part of the file the decoder is shown.
struct Mp3Region {
  SDL_RWops* rw = nullptr;
  Sint64 start = 0, length = 0, pos = 0;

  size_t Read(void* dst, size_t n) {
    n = std::min<size_t>(n, static_cast<size_t>(length - pos));
    const size_t got = SDL_RWread(rw, dst, 1, n);
    pos += static_cast<Sint64>(got);
    return got;
  }
  Sint64 Seek(Sint64 offset, int whence) {
    if (whence == RW_SEEK_CUR) offset += pos;
    if (whence == RW_SEEK_END) offset += length;
    if (offset < 0) return -1;
    if (offset > length) offset = length;
    const Sint64 at = SDL_RWseek(rw, start + offset, RW_SEEK_SET);
    if (at < 0) return at;
    pos = offset;
    return offset;
  }
  // `n` bytes at `offset` from the region's end, into buf; false when short.
  bool ReadEnd(uint8_t* buf, Sint64 n) {
    Seek(-n, RW_SEEK_END);
    return static_cast<Sint64>(Read(buf, static_cast<size_t>(n))) == n;
  }
};

bool IsId3v2(const uint8_t* d, size_t n) {
  return n >= 10 && std::memcmp(d, "ID3", 3) == 0 && d[3] != 0xFF && d[4] != 0xFF && d[6] < 0x80 && d[7] < 0x80 &&
         d[8] < 0x80 && d[9] < 0x80;
}

// The tag's length with its footer and the zero padding seen in `d`.
long Id3v2Length(const uint8_t* d, long n) {
  long size = ((d[6] << 21) + (d[7] << 14) + (d[8] << 7) + d[9]) + 10;
  if (d[5] & 0x10) size += 10;
  while (size < n && d[size] == 0) ++size;
  return size;
}

bool IsApeTag(const uint8_t* d, size_t n) {
  if (n < 32 || std::memcmp(d, "APETAGEX", 8) != 0) return false;
  const uint32_t version = d[8] | d[9] << 8 | d[10] << 16 | static_cast<uint32_t>(d[11]) << 24;
  static const uint8_t kZero[8] = {};
  return (version == 1000 || version == 2000) && std::memcmp(d + 24, kZero, 8) == 0;
}

bool IsLyrics3Footer(const uint8_t* d) {
  return std::memcmp(d + 6, "LYRICS200", 9) == 0 || std::memcmp(d + 6, "LYRICSEND", 9) == 0;
}

bool IsMusicMatchFooter(const uint8_t* d) {
  if (std::memcmp(d, "Brava Software Inc.             ", 32) != 0) return false;
  auto digit = [](uint8_t c) { return c >= '0' && c <= '9'; };
  if (!digit(d[32]) || d[33] != '.' || !digit(d[34]) || !digit(d[35])) return false;
  for (int i = 36; i < 48; ++i)
    if (d[i] != ' ') return false;
  return true;
}

// Takes the trailing ID3v1 tag off the region. False when the file holds a
// tag the whole-file path reads differently (APE, Lyrics3, MusicMatch), or
// would be refused there.
bool TrimPlainTags(Mp3Region& r) {
  uint8_t buf[128];
  r.Seek(0, RW_SEEK_SET);
  const size_t head = r.Read(buf, sizeof buf);
  if (head == 0) return false;
  if (IsId3v2(buf, head)) {
    if (Id3v2Length(buf, static_cast<long>(head)) >= r.length) return false;
  } else if (IsApeTag(buf, head)) {
    return false;
  }
  if (r.length >= 68 && (!r.ReadEnd(buf, 48) || IsMusicMatchFooter(buf))) return false;
  if (r.length >= 128) {
    if (!r.ReadEnd(buf, 128)) return false;
    if (std::memcmp(buf, "TAG", 3) == 0) r.length -= 128;
  }
  if (r.length >= 15 && (!r.ReadEnd(buf, 15) || IsLyrics3Footer(buf))) return false;
  if (r.length >= 68 && (!r.ReadEnd(buf, 48) || IsMusicMatchFooter(buf))) return false;
  if (r.length >= 32 && (!r.ReadEnd(buf, 32) || IsApeTag(buf, 32))) return false;
  r.Seek(0, RW_SEEK_SET);
  return r.length > 0;
}

mpg123_ssize_t ReadMp3(void* region, void* dst, size_t n) {
  return static_cast<mpg123_ssize_t>(static_cast<Mp3Region*>(region)->Read(dst, n));
}
off_t SeekMp3(void* region, off_t offset, int whence) {
  return static_cast<off_t>(static_cast<Mp3Region*>(region)->Seek(offset, whence));
}
void KeepMp3(void*) {}

int SdlFormatOf(int encoding) {
  switch (encoding) {
    case MPG123_ENC_SIGNED_8: return AUDIO_S8;
    case MPG123_ENC_UNSIGNED_8: return AUDIO_U8;
    case MPG123_ENC_SIGNED_16: return AUDIO_S16SYS;
    case MPG123_ENC_UNSIGNED_16: return AUDIO_U16SYS;
    case MPG123_ENC_SIGNED_32: return AUDIO_S32SYS;
    case MPG123_ENC_FLOAT_32: return AUDIO_F32SYS;
    default: return -1;
  }
}

class Mp3Decoder final : public PcmDecoder {
 public:
  explicit Mp3Decoder(SDL_RWops* rw) : PcmDecoder(rw) {}
  ~Mp3Decoder() override {
    if (handle_) {
      mpg123_close(handle_);
      mpg123_delete(handle_);
    }
    if (stream_) SDL_FreeAudioStream(stream_);
  }

  bool Open() {
    static std::once_flag ready;
    std::call_once(ready, [] { mpg123_init(); });
    region_.rw = rw_;
    region_.start = SDL_RWtell(rw_);
    region_.length = SDL_RWseek(rw_, 0, RW_SEEK_END) - region_.start;
    if (region_.start < 0 || region_.length < 0) return false;
    SDL_RWseek(rw_, region_.start, RW_SEEK_SET);
    if (!TrimPlainTags(region_)) return false;
    buffer_.assign(static_cast<size_t>(kOutSamples) * sizeof(int16_t) * 2, 0);
    int result = MPG123_OK;
    handle_ = mpg123_new(nullptr, &result);
    if (result != MPG123_OK) return false;
    if (mpg123_replace_reader_handle(handle_, ReadMp3, SeekMp3, KeepMp3) != MPG123_OK) return false;
    if (mpg123_format_none(handle_) != MPG123_OK) return false;
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
      mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO,
                    MPG123_ENC_SIGNED_8 | MPG123_ENC_UNSIGNED_8 | MPG123_ENC_SIGNED_16 | MPG123_ENC_UNSIGNED_16 |
                        MPG123_ENC_SIGNED_32 | MPG123_ENC_FLOAT_32);
    if (mpg123_open_handle(handle_, &region_) != MPG123_OK) return false;
    if (!NewStream()) return false;
    mpg123_length(handle_);
    // Played from the start, once.
    mpg123_seek(handle_, static_cast<off_t>(static_cast<double>(rate_) * 0.0), SEEK_SET);
    return true;
  }

 protected:
  int GetSome(uint8_t* data, int bytes, bool& done) override {
    if (stream_) {
      const int filled = SDL_AudioStreamGet(stream_, data, bytes);
      if (filled != 0) return filled;
    }
    if (finished_) {
      done = true;
      return 0;
    }
    size_t amount = 0;
    switch (mpg123_read(handle_, buffer_.data(), buffer_.size(), &amount)) {
      case MPG123_OK:
        return SDL_AudioStreamPut(stream_, buffer_.data(), static_cast<int>(amount)) < 0 ? -1 : 0;
      case MPG123_NEW_FORMAT:
        return NewStream() ? 0 : -1;
      case MPG123_DONE:
        if (amount > 0) return SDL_AudioStreamPut(stream_, buffer_.data(), static_cast<int>(amount)) < 0 ? -1 : 0;
        finished_ = true;
        SDL_AudioStreamFlush(stream_);
        return 0;
      default:
        return -1;
    }
  }

 private:
  bool NewStream() {
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK) return false;
    const int format = SdlFormatOf(encoding);
    if (format < 0) return false;
    if (stream_) SDL_FreeAudioStream(stream_);
    stream_ = SDL_NewAudioStream(static_cast<SDL_AudioFormat>(format), static_cast<Uint8>(channels),
                                 static_cast<int>(rate), kOutFormat, kOutChannels, kOutRate);
    rate_ = rate;
    return stream_ != nullptr;
  }

  Mp3Region region_;
  mpg123_handle* handle_ = nullptr;
  SDL_AudioStream* stream_ = nullptr;
  std::vector<uint8_t> buffer_;
  long rate_ = 0;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<MusicDecoder> OpenMp3(SDL_RWops* rw) {
  auto decoder = std::make_unique<Mp3Decoder>(rw);
  if (!decoder->Open()) return nullptr;
  return decoder;
}

}  // namespace qel::music
