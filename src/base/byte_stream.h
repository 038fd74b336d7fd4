#pragma once
// Little-endian readers and writers over memory. The reader never reads past
// its end: a read that does not fit fails and leaves the position unchanged.
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/encoding.h"
#include "base/extended.h"

namespace qel {

inline uint32_t LittleEndian32(uint32_t v) {
  if constexpr (std::endian::native == std::endian::big) return __builtin_bswap32(v);
  return v;
}
inline uint64_t LittleEndian64(uint64_t v) {
  if constexpr (std::endian::native == std::endian::big) return __builtin_bswap64(v);
  return v;
}

class ByteReader {
 public:
  explicit ByteReader(std::string_view data) : data_(data) {}
  size_t pos() const { return pos_; }
  size_t size() const { return data_.size(); }
  size_t remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ >= data_.size(); }
  void Seek(size_t pos) { pos_ = pos < data_.size() ? pos : data_.size(); }

  // The game-file loader reads millions of these: they stay inline.
  bool ReadInt32(int32_t& out) {
    if (remaining() < 4) return false;
    uint32_t v;
    std::memcpy(&v, data_.data() + pos_, 4);
    out = static_cast<int32_t>(LittleEndian32(v));
    pos_ += 4;
    return true;
  }
  bool ReadDouble(double& out) {
    if (remaining() < 8) return false;
    uint64_t v;
    std::memcpy(&v, data_.data() + pos_, 8);
    v = LittleEndian64(v);
    std::memcpy(&out, &v, 8);
    pos_ += 8;
    return true;
  }
  // int32 length then bytes; fails on a negative length or one past the end.
  bool ReadString(std::string_view& out) {
    int32_t len;
    if (remaining() < 4) return false;
    std::memcpy(&len, data_.data() + pos_, 4);
    len = static_cast<int32_t>(LittleEndian32(static_cast<uint32_t>(len)));
    if (len < 0 || static_cast<size_t>(len) > remaining() - 4) return false;
    out = data_.substr(pos_ + 4, static_cast<size_t>(len));
    pos_ += 4 + static_cast<size_t>(len);
    return true;
  }
  bool ReadUInt16(uint16_t& out);
  bool ReadUInt8(uint8_t& out);
  bool ReadExtended(double& out);
  bool ReadBytes(size_t count, std::string_view& out);

 private:
  std::string_view data_;
  size_t pos_ = 0;
};

class ByteWriter {
 public:
  explicit ByteWriter(ByteString& out) : out_(out) {}
  void WriteInt32(int32_t v);
  void WriteUInt16(uint16_t v);
  void WriteUInt8(uint8_t v) { out_ += static_cast<char>(v); }
  void WriteDouble(double v);
  void WriteExtended(double v);
  void WriteString(std::string_view s);
  void WriteBytes(std::string_view s) { out_.append(s); }
  size_t size() const { return out_.size(); }
  // Overwrites 4 bytes at an earlier position (for lengths known afterwards).
  void PatchInt32(size_t at, int32_t v);

 private:
  ByteString& out_;
};

}  // namespace qel
