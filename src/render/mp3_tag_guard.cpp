// The loader's walk over an ID3v2 tag, step for step, with its 1 KB frame
// buffer: which bytes it holds (some are left from earlier frames, or were
// never written) decides how far a UTF-8 title is read.
#include "render/mp3_tag_guard.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qel {
namespace {

constexpr int kBufferBytes = 1024;
constexpr int kUnknown = -1;

// As the loader adds the parts (which overlap when a byte has its top bit set).
int64_t Synchsafe(const uint8_t* p) { return (int64_t{p[0]} << 21) + (int64_t{p[1]} << 14) + (int64_t{p[2]} << 7) + p[3]; }

class TagWalk {
 public:
  TagWalk(const uint8_t* data, size_t size) : data_(data), size_(static_cast<int64_t>(size)) {
    buffer_.fill(kUnknown);
  }

  // False when the walk may read past the buffer.
  bool Safe() {
    if (Read(10) < 10) return true;
    const int major = buffer_[3], flags = buffer_[5];
    const int64_t tagLength = SynchsafeAt(6);
    if (major < 2 || major > 4) return true;
    int64_t extended = 0;
    if (major > 2 && (flags & 0x40)) {
      if (Read(4, 10) < 4) return false;  // left to bytes never written
      Seek(pos_ - 4);
      extended = SynchsafeAt(10);
    }
    int64_t total = 10 + tagLength + ((flags & 0x10) ? 10 : 0);
    if (extended) {
      total += extended + 4;
      Seek(pos_ + extended + 4);
    }
    if (pos_ + tagLength > size_) return true;
    while (pos_ < total) {
      const int64_t begin = pos_;
      const int header = major == 2 ? 6 : 10;
      if (Read(header) < header) break;
      if (buffer_[0] == 0 && buffer_[1] == 0 && buffer_[2] == 0 && (major == 2 || buffer_[3] == 0)) break;
      char key[4];
      for (int i = 0; i < 4; ++i) key[i] = static_cast<char>(buffer_[i]);
      const int64_t length = major == 2 ? BigEndianAt(3, 3) : major == 4 ? SynchsafeAt(4) : BigEndianAt(4, 4);
      const int64_t got = Read(std::min<int64_t>(length, kBufferBytes));
      if (length >= kBufferBytes) Seek(begin + length);
      if (major == 2 ? IsKey(key, 3, {"TT2", "TP1", "TAL", "TCR"}) && !TextSafe(got)
                     : IsKey(key, 4, {"TIT2", "TPE1", "TALB", "TCOP"}) && !TextSafe(length))
        return false;
    }
    return true;
  }

 private:
  static bool IsKey(const char* key, size_t n, std::initializer_list<const char*> keys) {
    return std::any_of(keys.begin(), keys.end(), [&](const char* k) { return std::memcmp(key, k, n) == 0; });
  }

  int64_t SynchsafeAt(int at) const {
    uint8_t b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(buffer_[at + i]);
    return Synchsafe(b);
  }

  int64_t BigEndianAt(int at, int n) const {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | static_cast<uint32_t>(buffer_[at + i]);
    return v;
  }

  // Up to n bytes at the position into the buffer at `to`.
  int64_t Read(int64_t n, int to = 0) {
    n = std::min(n, size_ - pos_);
    for (int64_t i = 0; i < n; ++i) buffer_[to + i] = data_[pos_ + i];
    pos_ += n;
    return n;
  }

  void Seek(int64_t to) {
    if (to >= 0) pos_ = std::min(to, size_);
  }

  // The text of a frame the loader decodes with the size `length`.
  bool TextSafe(int64_t length) const {
    switch (buffer_[0]) {
      case 0: return length <= 2 || length <= kBufferBytes;
      case 1: return length <= 5 || length <= kBufferBytes;
      case 2: return length <= 3 || length <= kBufferBytes;
      case 3: {
        if (length <= 2) return true;
        // Copied up to its first zero byte: safe only when one is known to
        // come before the buffer ends.
        for (int i = 1; i < kBufferBytes; ++i) {
          if (buffer_[i] == kUnknown) return false;
          if (buffer_[i] == 0) return true;
        }
        return false;
      }
      default: return true;
    }
  }

  const uint8_t* data_;
  int64_t size_;
  int64_t pos_ = 0;
  std::array<int, kBufferBytes + 4> buffer_;
};

bool IsId3v2Start(const uint8_t* d, size_t n) {
  return n >= 10 && std::memcmp(d, "ID3", 3) == 0 && d[3] != 0xFF && d[4] != 0xFF && d[6] < 0x80 && d[7] < 0x80 &&
         d[8] < 0x80 && d[9] < 0x80;
}

}  // namespace

bool LoaderMayOverrunOnTags(const uint8_t* data, size_t size) {
  // The loader walks the tag only of a file it takes for MP3 by its "ID3"
  // start, and only when the tag (with its padding, as far as the first 128
  // bytes show) is shorter than the file.
  const size_t head = std::min<size_t>(size, 128);
  if (!IsId3v2Start(data, head)) return false;
  int64_t length = Synchsafe(data + 6) + 10 + ((data[5] & 0x10) ? 10 : 0);
  while (length < static_cast<int64_t>(head) && data[length] == 0) ++length;
  if (length >= static_cast<int64_t>(size)) return false;
  return !TagWalk(data, size).Safe();
}

}  // namespace qel
