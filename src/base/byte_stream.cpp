#include "base/byte_stream.h"

#include <cstring>

namespace qel {

bool ByteReader::ReadBytes(size_t count, std::string_view& out) {
  if (count > remaining()) return false;
  out = data_.substr(pos_, count);
  pos_ += count;
  return true;
}

bool ByteReader::ReadUInt16(uint16_t& out) {
  std::string_view b;
  if (!ReadBytes(2, b)) return false;
  out = static_cast<uint16_t>(static_cast<uint8_t>(b[0]) | (static_cast<uint8_t>(b[1]) << 8));
  return true;
}

bool ByteReader::ReadUInt8(uint8_t& out) {
  std::string_view b;
  if (!ReadBytes(1, b)) return false;
  out = static_cast<uint8_t>(b[0]);
  return true;
}

bool ByteReader::ReadExtended(double& out) {
  std::string_view b;
  if (!ReadBytes(10, b)) return false;
  Extended80 e;
  std::memcpy(e.data(), b.data(), 10);
  out = DecodeExtended(e);
  return true;
}

void ByteWriter::WriteInt32(int32_t v) {
  auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out_ += static_cast<char>(u >> (8 * i));
}

void ByteWriter::WriteUInt16(uint16_t v) {
  out_ += static_cast<char>(v);
  out_ += static_cast<char>(v >> 8);
}

void ByteWriter::WriteDouble(double v) {
  uint64_t u;
  std::memcpy(&u, &v, 8);
  for (int i = 0; i < 8; ++i) out_ += static_cast<char>(u >> (8 * i));
}

void ByteWriter::WriteExtended(double v) {
  Extended80 e = EncodeExtended(v);
  out_.append(reinterpret_cast<const char*>(e.data()), e.size());
}

void ByteWriter::WriteString(std::string_view s) {
  WriteInt32(static_cast<int32_t>(s.size()));
  out_.append(s);
}

void ByteWriter::PatchInt32(size_t at, int32_t v) {
  auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<char>(u >> (8 * i));
}

}  // namespace qel
