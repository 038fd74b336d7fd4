#include "render/byte_source.h"

#include <algorithm>
#include <cstring>

namespace qel {
namespace {

class FileSource final : public ByteSource {
 public:
  FileSource(std::FILE* file, int64_t size) : file_(file), size_(size) {}
  ~FileSource() override { std::fclose(file_); }

  int64_t Size() const override { return size_; }
  size_t BytesHeld() const override { return kBufferBytes; }

  size_t ReadAt(int64_t pos, void* dst, size_t n) override {
    if (pos < 0 || pos >= size_ || n == 0) return 0;
    n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), size_ - pos));
    if (pos != at_ && fseeko(file_, pos, SEEK_SET) != 0) {
      at_ = -1;
      Fail("cannot seek in the file");
      return 0;
    }
    const size_t got = std::fread(dst, 1, n, file_);
    at_ = pos + static_cast<int64_t>(got);
    if (got < n) {
      Fail(std::ferror(file_) ? "the file cannot be read" : "the file is shorter than when it was opened");
      std::clearerr(file_);
    }
    return got;
  }

 private:
  static constexpr size_t kBufferBytes = BUFSIZ;
  std::FILE* file_;
  int64_t size_;
  int64_t at_ = 0;
};

class KeptBytes final : public ByteSource {
 public:
  explicit KeptBytes(std::string bytes) : bytes_(std::move(bytes)) {}
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
  size_t BytesHeld() const override { return bytes_.capacity(); }
  size_t ReadAt(int64_t pos, void* dst, size_t n) override {
    if (pos < 0 || pos >= Size()) return 0;
    n = std::min(n, bytes_.size() - static_cast<size_t>(pos));
    std::memcpy(dst, bytes_.data() + pos, n);
    return n;
  }

 private:
  std::string bytes_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path, uintmax_t maxBytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return nullptr;
  std::FILE* f = std::fopen(path.string().c_str(), "rb");
  if (!f) return nullptr;
  // The size of the open file, not of whatever the name shows later.
  if (fseeko(f, 0, SEEK_END) != 0) {
    std::fclose(f);
    return nullptr;
  }
  const int64_t size = ftello(f);
  if (size < 0 || static_cast<uintmax_t>(size) > maxBytes || fseeko(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    return nullptr;
  }
  return std::make_unique<FileSource>(f, size);
}

std::unique_ptr<ByteSource> MemorySource(std::string bytes) { return std::make_unique<KeptBytes>(std::move(bytes)); }

}  // namespace qel
