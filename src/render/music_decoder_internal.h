#pragma once
// What the format decoders of music_decoder.cpp share.
#include <SDL.h>

#include "render/music_decoder.h"

namespace qel::music {

// The mixer's output: what every decoder converts to.
constexpr SDL_AudioFormat kOutFormat = AUDIO_S16SYS;
constexpr int kOutChannels = 2;
constexpr int kOutRate = 44100;
constexpr int kOutSamples = 1024;  // frames of the mixer's buffer

// A decoder that feeds a conversion stream and drains it: the loader's loop
// asks GetSome until a fragment is full, the sound is done, an error comes
// or ten calls in a row give nothing.
class PcmDecoder : public MusicDecoder {
 public:
  int NextFragment(uint8_t* out, bool& last) final;

 protected:
  using MusicDecoder::MusicDecoder;
  // Bytes of output taken from the conversion stream; 0 after feeding it or
  // at the end (`done` set); -1 on an error, which ends the sound there.
  virtual int GetSome(uint8_t* data, int bytes, bool& done) = 0;
};

// Each null when the bytes are not of its kind or cannot start.
std::unique_ptr<MusicDecoder> OpenOgg(SDL_RWops* rw);
std::unique_ptr<MusicDecoder> OpenMp3(SDL_RWops* rw);
std::unique_ptr<MusicDecoder> OpenFlac(SDL_RWops* rw);
std::unique_ptr<MusicDecoder> OpenWav(SDL_RWops* rw);

}  // namespace qel::music
