#pragma once
// The mixer library's whole-file loader reads an MP3's ID3v2 tag for the
// title, artist, album and copyright, and copies such a text frame out of a
// 1 KB buffer by the size the frame claims (or, for UTF-8 text, up to the
// first zero byte wherever it is): a frame of more than 1 KB, or UTF-8 text
// without its end, makes it read past that buffer, which can crash the
// player. Those tags decide nothing about the sound, so such a file is
// decoded by our own MP3 decoder instead (music_decoder.h), which gives the
// samples the loader would.
#include <cstddef>
#include <cstdint>

namespace qel {

// True when the loader's walk over the file's ID3v2 tag may read past its
// buffer (also when that cannot be known for sure).
bool LoaderMayOverrunOnTags(const uint8_t* data, size_t size);

}  // namespace qel
