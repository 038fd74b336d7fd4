// Music decoded while it plays, against the mixer library's whole-file
// decoding of the same bytes: every frame of a pass must be the same, and
// so must the start of the next pass. The first byte chooses where the
// music comes from: the bytes themselves, or a record of an archive held in
// memory (unpacked as it is read, after a check of the whole record).
// Files that would crash the whole-file decoder are not given to it.
#include <SDL_mixer.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/byte_stream.h"
#include "fuzz_support.h"
#include "render/audio.h"
#include "render/byte_source.h"
#include "render/mp3_tag_guard.h"
#include "render/music_stream.h"
#include "render/res_db.h"

namespace {

// The whole-file decoder's frames (16-bit stereo), or nothing when it fails.
std::vector<int16_t> DecodedWhole(std::string_view bytes) {
  std::vector<int16_t> out;
  Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
  if (!chunk) return out;
  const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
  out.assign(samples, samples + chunk->alen / 4 * 2);
  Mix_FreeChunk(chunk);
  return out;
}

// An archive with the one record "m".
std::string ArchiveOf(std::string_view bytes) {
  uLongf packedSize = compressBound(static_cast<uLong>(bytes.size()));
  std::string packed(packedSize, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(bytes.data()),
           static_cast<uLong>(bytes.size()));
  packed.resize(packedSize);
  std::string out;
  qel::ByteWriter w(out);
  w.WriteBytes("ASDb");
  w.WriteInt32(1);
  w.WriteInt32(static_cast<int32_t>(12 + qel::TResDb::kRecordHeaderSize + packed.size()));
  w.WriteUInt16(0);
  w.WriteInt32(static_cast<int32_t>(bytes.size()));
  w.WriteInt32(static_cast<int32_t>(packed.size()));
  w.WriteBytes(std::string(qel::TResDb::kRecordHeaderSize - 10, '\0'));
  w.WriteBytes(packed);
  w.WriteString("m");
  w.WriteInt32(12);
  return out;
}

[[noreturn]] void Differ(const char* what, size_t at) {
  std::fprintf(stderr, "streamed music differs from the whole decode: %s at value %zu\n", what, at);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static qel::AudioMixer* mixer = [] {
    auto* m = new qel::AudioMixer;
    qel::AudioMixer::Options options;
    options.noDevice = options.manualClock = true;
    m->Open(options);
    return m;
  }();
  if (size < 1 || !mixer->CanDecode()) return 0;
  const bool fromArchive = data[0] & 1;
  const std::string_view bytes = qel::fuzz::AsView(data + 1, size - 1);
  qel::TResDb archive;
  std::unique_ptr<qel::ByteSource> source;
  if (fromArchive) {
    archive.OpenFromMemory(ArchiveOf(bytes));
    source = archive.OpenRecordSource("m");
    if (!source) std::abort();  // a record just packed reads whole
  } else {
    source = qel::MemorySource(std::string(bytes));
  }
  auto stream = qel::MusicStream::Open(source, "fuzz");
  // Tags that would crash the whole-file decoder keep it from these bytes
  // (the player decodes them with the stream's decoder).
  if (!stream || qel::LoaderMayOverrunOnTags(data + 1, size - 1)) return 0;
  const std::vector<int16_t> whole = DecodedWhole(bytes);
  size_t at = 0;
  for (int pass = 0; pass < 2; ++pass) {
    at = 0;
    const int16_t* frames = nullptr;
    while (size_t ready = stream->Ready(frames)) {
      for (size_t i = 0; i < ready * 2 && (pass == 0 || at < 4096); ++i, ++at)
        if (at >= whole.size() || frames[i] != whole[at]) Differ("a sample", at);
      if (pass == 1 && at >= 4096) break;
      stream->Consume(ready);
    }
    if (!stream->Error().empty()) Differ(stream->Error().c_str(), at);
    if (pass == 0 && at != whole.size()) Differ("the length", at);
    stream->Rewind();
  }
  return 0;
}
