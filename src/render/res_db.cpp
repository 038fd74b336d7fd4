#include "render/res_db.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>

#include "base/byte_stream.h"

namespace qel {
namespace {

constexpr int32_t kMaxUnpacked = 512 * 1024 * 1024;  // refuse absurd sizes from corrupt tables
// Deflate packs at most 1032 bytes into one: a larger unpacked size cannot be true.
constexpr uint64_t kDeflateMaxRatio = 1032;

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& data) {
  std::string tmp = path + ".tmp";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

bool ParseRecordHeader(std::string_view file, TResRecord& r) {
  if (r.offset < 0 || static_cast<size_t>(r.offset) > file.size()) return false;
  ByteReader rd(file);
  rd.Seek(static_cast<size_t>(r.offset));
  if (rd.remaining() < static_cast<size_t>(TResDb::kRecordHeaderSize)) return false;
  std::string_view cs, iv;
  if (!rd.ReadUInt16(r.type) || !rd.ReadInt32(r.unpackedSize) || !rd.ReadInt32(r.storedSize) ||
      !rd.ReadDouble(r.date) || !rd.ReadBytes(16, cs) || !rd.ReadUInt16(r.secure) || !rd.ReadBytes(8, iv))
    return false;
  std::memcpy(r.checksum, cs.data(), 16);
  std::memcpy(r.initVector, iv.data(), 8);
  return true;
}

}  // namespace

double NowAsDateTime() { return static_cast<double>(std::time(nullptr)) / 86400.0 + 25569.0; }

void TResDb::SetFileName(const std::string& name) {
  fileName_ = name;
  loaded_ = false;
  inMemory_ = false;
  memory_.clear();
}

bool TResDb::OpenFromMemory(std::string bytes) {
  fileName_.clear();
  memory_ = std::move(bytes);
  inMemory_ = true;
  loaded_ = ParseTable(memory_, records_);
  if (!loaded_) records_.clear();
  return loaded_;
}

bool TResDb::ParseTable(std::string_view file, std::vector<TResRecord>& out) {
  out.clear();
  ByteReader rd(file);
  std::string_view magic;
  int32_t count = 0, tableOffset = 0;
  if (!rd.ReadBytes(4, magic) || magic != "ASDb" || !rd.ReadInt32(count) || !rd.ReadInt32(tableOffset)) return false;
  if (count < 0 || tableOffset < 12 || static_cast<size_t>(tableOffset) > file.size()) return false;
  // Every table entry takes at least 8 bytes: a count larger than that is corrupt.
  if (static_cast<size_t>(count) > (file.size() - static_cast<size_t>(tableOffset)) / 8) return false;
  rd.Seek(static_cast<size_t>(tableOffset));
  std::vector<TResRecord> recs;
  recs.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    TResRecord r;
    int32_t nameLen = 0;
    std::string_view name;
    if (!rd.ReadInt32(nameLen) || nameLen < 0 || !rd.ReadBytes(static_cast<size_t>(nameLen), name) ||
        !rd.ReadInt32(r.offset))
      return false;
    r.name.assign(name);
    if (!ParseRecordHeader(file, r)) return false;
    recs.push_back(std::move(r));
  }
  out = std::move(recs);
  return true;
}

bool TResDb::ReadTableFromFile() {
  records_.clear();
  std::string file;
  if (!ReadWholeFile(fileName_, file)) return false;
  return ParseTable(file, records_);
}

bool TResDb::WriteEmpty() {
  records_.clear();
  ByteString out;
  ByteWriter w(out);
  w.WriteBytes("ASDb");
  w.WriteInt32(0);
  w.WriteInt32(12);
  return WriteWholeFile(fileName_, out);
}

bool TResDb::OpenTable() {
  if (inMemory_) return OpenFromMemory(std::move(memory_));
  bool ok = false;
  switch (openMode_) {
    case TOpenMode::opReadOnly:
      ok = ReadTableFromFile();
      break;
    case TOpenMode::opUpdate: {
      std::FILE* f = std::fopen(fileName_.c_str(), "rb");
      if (f) {
        std::fclose(f);
        ok = ReadTableFromFile();
      } else {
        ok = WriteEmpty();
      }
      break;
    }
    case TOpenMode::opOverwrite:
      ok = WriteEmpty();
      break;
  }
  if (!ok) records_.clear();
  loaded_ = ok;
  return ok;
}

bool TResDb::EnsureTable() { return loaded_ || OpenTable(); }

int TResDb::RecordType(int index) const {
  if (index < 0 || index >= RecordCount()) return 0;
  return records_[static_cast<size_t>(index)].type;
}

ByteString TResDb::RecordName(int index) const {
  if (index < 0 || index >= RecordCount()) return "[invalid-record-#]";
  return records_[static_cast<size_t>(index)].name;
}

const TResRecord* TResDb::Record(int index) const {
  if (index < 0 || index >= RecordCount()) return nullptr;
  return &records_[static_cast<size_t>(index)];
}

int TResDb::IndexOf(const ByteString& name) const {
  ByteString key = LowerCase(name);
  for (size_t i = 0; i < records_.size(); ++i)
    if (LowerCase(records_[i].name) == key) return static_cast<int>(i);
  return -1;
}

bool TResDb::Unpackable(const TResRecord& rec) {
  // No cipher is implemented and the player sets no key: secure records cannot be read.
  if (rec.secure != 0 || rec.storedSize < 0 || rec.offset < 0) return false;
  if (rec.unpackedSize < 0 || rec.unpackedSize > kMaxUnpacked) return false;
  return static_cast<uint64_t>(rec.unpackedSize) <= static_cast<uint64_t>(rec.storedSize) * kDeflateMaxRatio;
}

bool TResDb::Unpack(const TResRecord& rec, std::string_view stored, std::vector<uint8_t>& out) {
  out.clear();
  if (rec.secure != 0) return false;
  if (rec.unpackedSize < 0 || rec.unpackedSize > kMaxUnpacked) return false;
  if (static_cast<uint64_t>(rec.unpackedSize) > stored.size() * kDeflateMaxRatio) return false;
  std::vector<uint8_t> buf(static_cast<size_t>(rec.unpackedSize));
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return false;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data()));
  zs.avail_in = static_cast<uInt>(stored.size());
  uint8_t dummy = 0;
  zs.next_out = buf.empty() ? &dummy : buf.data();
  zs.avail_out = static_cast<uInt>(buf.size());
  int rc = inflate(&zs, Z_FINISH);
  bool ok = rc == Z_STREAM_END && zs.total_out == buf.size();
  inflateEnd(&zs);
  if (!ok) return false;
  out = std::move(buf);
  return true;
}

bool TResDb::StoredPart(std::string_view file, const TResRecord& rec, std::string_view& out) {
  if (rec.offset < 0 || rec.storedSize < 0) return false;
  const uint64_t start = static_cast<uint64_t>(rec.offset) + kRecordHeaderSize;
  if (start > file.size() || static_cast<uint64_t>(rec.storedSize) > file.size() - start) return false;
  out = file.substr(static_cast<size_t>(start), static_cast<size_t>(rec.storedSize));
  return true;
}

bool TResDb::ReadRecord(const ByteString& name, std::vector<uint8_t>& out) {
  out.clear();
  if (inMemory_) {
    int idx = loaded_ ? IndexOf(name) : -1;
    std::string_view stored;
    return idx >= 0 && StoredPart(memory_, records_[static_cast<size_t>(idx)], stored) &&
           Unpack(records_[static_cast<size_t>(idx)], stored, out);
  }
  std::FILE* f = std::fopen(fileName_.c_str(), "rb");
  if (!f) return false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> guard(f, &std::fclose);
  if (!LoadTableForReading()) return false;
  int idx = IndexOf(name);
  if (idx < 0) return false;
  const TResRecord& rec = records_[static_cast<size_t>(idx)];
  // The stored bytes must be in the file before room is made for them.
  if (std::fseek(f, 0, SEEK_END) != 0) return false;
  const long fileSize = std::ftell(f);
  if (fileSize < 0 || rec.offset < 0 || rec.storedSize < 0 ||
      static_cast<uint64_t>(rec.offset) + kRecordHeaderSize + static_cast<uint64_t>(rec.storedSize) >
          static_cast<uint64_t>(fileSize))
    return false;
  if (std::fseek(f, static_cast<long>(rec.offset) + kRecordHeaderSize, SEEK_SET) != 0) return false;
  std::string stored(static_cast<size_t>(rec.storedSize), '\0');
  if (std::fread(stored.data(), 1, stored.size(), f) != stored.size()) return false;
  return Unpack(rec, stored, out);
}

bool TResDb::LoadTableForReading() {
  if (loaded_) return true;
  // Reload the table from the file (read-only, whatever the open mode).
  records_.clear();
  std::string file;
  if (!ReadWholeFile(fileName_, file) || !ParseTable(file, records_)) {
    records_.clear();
    return false;
  }
  loaded_ = true;
  return true;
}

bool TResDb::ExtractRecord(const ByteString& name, std::ostream& stream) {
  std::vector<uint8_t> data;
  if (!ReadRecord(name, data)) return false;
  stream.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(stream);
}

bool TResDb::WriteRecord(const ByteString& name, uint16_t type, std::string_view unpacked) {
  if (openMode_ == TOpenMode::opReadOnly || inMemory_) return false;
  if (!EnsureTable()) return false;
  std::string file;
  if (!ReadWholeFile(fileName_, file)) return false;
  std::vector<TResRecord> old;
  if (!ParseTable(file, old)) return false;

  uLongf bound = compressBound(static_cast<uLong>(unpacked.size()));
  std::string packed(bound, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &bound, reinterpret_cast<const Bytef*>(unpacked.data()),
                static_cast<uLong>(unpacked.size()), Z_BEST_COMPRESSION) != Z_OK)
    return false;
  packed.resize(bound);

  struct Entry {
    TResRecord rec;
    std::string_view stored;
  };
  std::vector<Entry> entries;
  ByteString key = LowerCase(name);
  bool replaced = false;
  TResRecord fresh;
  fresh.name = name;
  fresh.type = type;
  fresh.unpackedSize = static_cast<int32_t>(unpacked.size());
  fresh.storedSize = static_cast<int32_t>(packed.size());
  fresh.date = NowAsDateTime();
  for (const TResRecord& r : old) {
    if (LowerCase(r.name) == key) {
      if (!replaced) entries.push_back({fresh, packed});
      replaced = true;
      continue;
    }
    size_t start = static_cast<size_t>(r.offset) + kRecordHeaderSize;
    if (r.storedSize < 0 || start + static_cast<size_t>(r.storedSize) > file.size()) return false;
    entries.push_back({r, std::string_view(file).substr(start, static_cast<size_t>(r.storedSize))});
  }
  if (!replaced) entries.push_back({fresh, packed});

  ByteString out;
  ByteWriter w(out);
  w.WriteBytes("ASDb");
  w.WriteInt32(static_cast<int32_t>(entries.size()));
  w.WriteInt32(0);  // patched below
  for (Entry& e : entries) {
    e.rec.offset = static_cast<int32_t>(out.size());
    w.WriteUInt16(e.rec.type);
    w.WriteInt32(e.rec.unpackedSize);
    w.WriteInt32(static_cast<int32_t>(e.stored.size()));
    w.WriteDouble(e.rec.date);
    w.WriteBytes(std::string_view(reinterpret_cast<const char*>(e.rec.checksum), 16));
    w.WriteUInt16(e.rec.secure);
    w.WriteBytes(std::string_view(reinterpret_cast<const char*>(e.rec.initVector), 8));
    w.WriteBytes(e.stored);
  }
  w.PatchInt32(8, static_cast<int32_t>(out.size()));
  for (const Entry& e : entries) {
    w.WriteString(e.rec.name);
    w.WriteInt32(e.rec.offset);
  }
  if (!WriteWholeFile(fileName_, out)) return false;
  records_.clear();
  std::vector<TResRecord> fresh_table;
  ParseTable(out, fresh_table);
  records_ = std::move(fresh_table);
  loaded_ = true;
  return true;
}

}  // namespace qel
