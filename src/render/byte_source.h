#pragma once
// Bytes a music stream decodes from while it plays, read a little at a time
// instead of held whole: a file read where it lies, bytes kept in memory, or
// a compressed archive record unpacked as it is read (TResDb::OpenRecordSource).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace qel {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Total bytes, fixed when the source was opened.
  virtual int64_t Size() const = 0;
  // Up to n bytes from `pos`; fewer only past the end or after a failure.
  virtual size_t ReadAt(int64_t pos, void* dst, size_t n) = 0;
  // Gives back buffers while nothing reads; the next read makes them again.
  virtual void Release() {}
  // Bytes of memory the source holds (buffers, caches, kept data).
  virtual size_t BytesHeld() const = 0;

  // Why a read fell short of what Size() promised (file cut or unreadable,
  // record damaged); empty while every read was whole.
  const std::string& Error() const { return error_; }

 protected:
  void Fail(std::string why) {
    if (error_.empty()) error_ = std::move(why);
  }

 private:
  std::string error_;
};

// A file, kept open for the source's life (so that a file replaced or removed
// meanwhile still reads as it was opened). Null when it cannot be opened or
// is larger than `maxBytes`.
std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path, uintmax_t maxBytes);
std::unique_ptr<ByteSource> MemorySource(std::string bytes);

}  // namespace qel
