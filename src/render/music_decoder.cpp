#include "render/music_decoder.h"

#include <cstring>

#include "render/byte_source.h"
#include "render/music_decoder_internal.h"

namespace qel {
namespace {

// The whole-file path decodes from the bytes in memory; reading the source
// through the same rules (seeks held inside the data, a read cut at its end)
// keeps the decoders' view of it the same.
struct SourceView {
  ByteSource* source;
  int64_t pos;
};

SourceView& ViewOf(SDL_RWops* rw) { return *static_cast<SourceView*>(rw->hidden.unknown.data1); }

Sint64 SDLCALL ViewSize(SDL_RWops* rw) { return ViewOf(rw).source->Size(); }

Sint64 SDLCALL ViewSeek(SDL_RWops* rw, Sint64 offset, int whence) {
  SourceView& v = ViewOf(rw);
  const int64_t size = v.source->Size();
  int64_t to = 0;
  switch (whence) {
    case RW_SEEK_SET: to = offset; break;
    case RW_SEEK_CUR: to = v.pos + offset; break;
    case RW_SEEK_END: to = size + offset; break;
    default: return SDL_SetError("Unknown value for 'whence'");
  }
  v.pos = to < 0 ? 0 : to > size ? size : to;
  return v.pos;
}

size_t SDLCALL ViewRead(SDL_RWops* rw, void* ptr, size_t size, size_t count) {
  SourceView& v = ViewOf(rw);
  size_t bytes = size * count;
  if (count == 0 || size == 0 || bytes / count != size) return 0;
  const auto left = static_cast<size_t>(v.source->Size() - v.pos);
  if (bytes > left) bytes = left;
  const size_t got = v.source->ReadAt(v.pos, ptr, bytes);
  v.pos += static_cast<int64_t>(got);
  return got / size;
}

size_t SDLCALL ViewWrite(SDL_RWops*, const void*, size_t, size_t) {
  SDL_SetError("Can't write to read-only memory");
  return 0;
}

int SDLCALL ViewClose(SDL_RWops* rw) {
  delete &ViewOf(rw);
  SDL_FreeRW(rw);
  return 0;
}

SDL_RWops* NewView(ByteSource& source) {
  SDL_RWops* rw = SDL_AllocRW();
  if (!rw) return nullptr;
  rw->size = ViewSize;
  rw->seek = ViewSeek;
  rw->read = ViewRead;
  rw->write = ViewWrite;
  rw->close = ViewClose;
  rw->type = SDL_RWOPS_UNKNOWN;
  rw->hidden.unknown.data1 = new SourceView{&source, 0};
  return rw;
}

enum class Kind { kWav, kOgg, kMp3, kFlac, kOther };

// The loader's own sorting: WAV, AIFF and VOC by their first four bytes,
// then the music kinds by the first twelve.
Kind KindOf(SDL_RWops* rw) {
  uint8_t magic[12];
  if (SDL_RWread(rw, magic, 1, 4) != 4) return Kind::kOther;
  SDL_RWseek(rw, 0, RW_SEEK_SET);
  if (std::memcmp(magic, "WAVE", 4) == 0 || std::memcmp(magic, "RIFF", 4) == 0) return Kind::kWav;
  if (SDL_RWread(rw, magic, 1, 12) != 12) return Kind::kOther;
  Kind kind = Kind::kOther;
  if (std::memcmp(magic, "OggS", 4) == 0) {
    // Opus lives in Ogg too; a short read leaves the older bytes in place.
    SDL_RWseek(rw, 28, RW_SEEK_CUR);
    SDL_RWread(rw, magic, 1, 8);
    kind = std::memcmp(magic, "OpusHead", 8) == 0 ? Kind::kOther : Kind::kOgg;
  } else if (std::memcmp(magic, "fLaC", 4) == 0) {
    kind = Kind::kFlac;
  } else if (std::memcmp(magic, "ID3", 3) == 0 || (magic[0] == 0xFF && (magic[1] & 0xE6) == 0xE2)) {
    kind = Kind::kMp3;
  }
  SDL_RWseek(rw, 0, RW_SEEK_SET);
  return kind;
}

}  // namespace

MusicDecoder::~MusicDecoder() {
  if (rw_) SDL_RWclose(rw_);
}

std::unique_ptr<MusicDecoder> OpenMusicDecoder(ByteSource& source) {
  SDL_RWops* rw = NewView(source);
  if (!rw) return nullptr;
  switch (KindOf(rw)) {
    case Kind::kWav: return music::OpenWav(rw);
    case Kind::kOgg: return music::OpenOgg(rw);
    case Kind::kMp3: return music::OpenMp3(rw);
    case Kind::kFlac: return music::OpenFlac(rw);
    case Kind::kOther: break;
  }
  SDL_RWclose(rw);
  return nullptr;
}

namespace music {

int PcmDecoder::NextFragment(uint8_t* out, bool& last) {
  constexpr int kMaxIdleCalls = 10;
  int left = kFragmentBytes;
  int idle = 0;
  bool done = false;
  while (left > 0 && !done) {
    const int got = GetSome(out + (kFragmentBytes - left), left, done);
    if (got < 0) break;
    if (got == 0) {
      if (++idle > kMaxIdleCalls) done = true;
      continue;
    }
    idle = 0;
    left -= got;
  }
  last = left > 0;
  return kFragmentBytes - left;
}

}  // namespace music
}  // namespace qel
