#pragma once
// Decoders for music that is decoded while it plays. Each one gives, a
// fragment at a time, exactly the samples the mixer library's whole-file
// loader gives for the same bytes: the same decoder calls in the same order
// with the same buffer sizes, so that a streamed track is sample for sample
// the track decoded whole (loops included, since every pass starts a fresh
// decoder). Kinds the loader treats in ways not repeated here (Opus, MOD,
// MIDI, AIFF, VOC, WAV other than 8/16-bit PCM at the mixer's rate, MP3 with
// tags other than ID3) are left to the whole-file path.
#include <cstdint>
#include <memory>

struct SDL_RWops;

namespace qel {

class ByteSource;

class MusicDecoder {
 public:
  // The loader asks for one mixer buffer at a time: 1024 frames, 16-bit stereo.
  static constexpr int kFragmentBytes = 4096;

  virtual ~MusicDecoder();
  MusicDecoder(const MusicDecoder&) = delete;
  MusicDecoder& operator=(const MusicDecoder&) = delete;

  // Writes the next fragment into `out` (kFragmentBytes of room) and returns
  // its size: kFragmentBytes, fewer only for the last one of the sound, which
  // sets `last`.
  virtual int NextFragment(uint8_t* out, bool& last) = 0;

 protected:
  explicit MusicDecoder(SDL_RWops* rw) : rw_(rw) {}
  SDL_RWops* rw_;  // owned: reads the source from its start
};

// A decoder reading `source` from its start (the source must outlive it);
// null when the bytes are not of a kind decoded here.
std::unique_ptr<MusicDecoder> OpenMusicDecoder(ByteSource& source);

}  // namespace qel
