#pragma once
// TResDb, the reader (and, for the tools, the writer) of the single-file
// resource archive "ASDb": named, zlib-compressed records.
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/encoding.h"

namespace qel {

class ByteSource;

enum class TOpenMode { opUpdate, opOverwrite, opReadOnly };

struct TResRecord {
  ByteString name;
  int32_t offset = 0;       // absolute position of the record header
  uint16_t type = 0;        // 3 = font
  int32_t unpackedSize = 0;
  int32_t storedSize = 0;
  double date = 0.0;        // TDateTime
  uint8_t checksum[16] = {};
  uint16_t secure = 0;      // non-zero: stored bytes are enciphered
  uint8_t initVector[8] = {};
};

class TResDb {
 public:
  static constexpr uint16_t kTypeFont = 3;
  static constexpr int kRecordHeaderSize = 44;

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& name);  // marks the table as not loaded
  TOpenMode OpenMode() const { return openMode_; }
  void SetOpenMode(TOpenMode mode) { openMode_ = mode; }
  // Key for secure records. The player never sets one; no cipher is implemented,
  // so secure records stay unreadable whatever the key.
  void SetKey(const ByteString& key) { key_ = key; }

  // Opens an archive held in memory instead of a file (read-only; the bytes are kept).
  // False and an empty table when the bytes are not a sound archive. Setting a file
  // name afterwards goes back to files.
  bool OpenFromMemory(std::string bytes);
  bool InMemory() const { return inMemory_; }

  bool OpenTable();
  bool EnsureTable();
  bool TableLoaded() const { return loaded_; }

  int RecordCount() const { return static_cast<int>(records_.size()); }
  int RecordType(int index) const;         // 0 for an invalid index
  ByteString RecordName(int index) const;  // "[invalid-record-#]" for an invalid index
  const TResRecord* Record(int index) const;
  int IndexOf(const ByteString& name) const;  // case-insensitive; -1 when missing

  // Reads and decompresses a record; true only when exactly the unpacked size comes out.
  bool ReadRecord(const ByteString& name, std::vector<uint8_t>& out);
  bool ExtractRecord(const ByteString& name, std::ostream& stream);
  // A record unpacked as it is read, for music played from the archive. The
  // record is unpacked once here to check it (null when it fails as
  // ReadRecord would); the source then reads the archive file itself.
  std::unique_ptr<ByteSource> OpenRecordSource(const ByteString& name);

  // Writing (tools only; the player opens read-only). Adds a plain record, replacing
  // one of the same name (case-insensitive). Needs opUpdate or opOverwrite; the file is
  // rewritten whole. Returns false on an I/O failure or in opReadOnly mode.
  bool WriteRecord(const ByteString& name, uint16_t type, std::string_view unpacked);

  // Parses an archive image held in memory into a record table (false and an empty
  // table for a bad header or a truncated table). Exposed for tests and tools.
  static bool ParseTable(std::string_view file, std::vector<TResRecord>& out);
  // Decompresses one record's stored bytes (false when the size differs or the
  // record is secure).
  static bool Unpack(const TResRecord& rec, std::string_view stored, std::vector<uint8_t>& out);
  // The stored bytes of a record inside an archive image; false when they run past its end.
  static bool StoredPart(std::string_view file, const TResRecord& rec, std::string_view& out);

 private:
  bool ReadTableFromFile();
  bool LoadTableForReading();
  static bool Unpackable(const TResRecord& rec);
  bool WriteEmpty();

  std::string fileName_;
  TOpenMode openMode_ = TOpenMode::opReadOnly;
  bool loaded_ = false;
  std::vector<TResRecord> records_;
  ByteString key_;
  bool inMemory_ = false;
  std::string memory_;
};

// Current time as a date value (days since 1899-12-30, time as the fraction).
double NowAsDateTime();

}  // namespace qel
