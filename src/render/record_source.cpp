// An archive record read as it is unpacked, for music that plays from the
// archive: the compressed bytes stay in the archive file and only zlib's
// state, a block of unpacked bytes and the record's last bytes are held.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "render/byte_source.h"
#include "render/res_db.h"

namespace qel {
namespace {

// Deflate turns damaged bytes into other bytes without a word until its
// checksum at the very end. The record is unpacked in blocks whose checksums
// the opening pass took, and a block is handed out only once it matches:
// an archive changed while its music plays stops the music instead of
// playing noise.
constexpr size_t kBlockBytes = 64 * 1024;
// Decoders look at the end of a stream when they start (the last Ogg pages,
// MP3 tags): the record's last bytes are kept, so that this costs no
// unpacking of the whole record each time a decoder starts.
constexpr size_t kTailBytes = 128 * 1024;
constexpr size_t kInputBytes = 16 * 1024;
// What inflateInit allocates: its state and a 32 KB window.
constexpr size_t kZlibStateBytes = 7 * 1024 + 32 * 1024;

class RecordSource final : public ByteSource {
 public:
  // The stored bytes are `stored` (an archive held in memory) or lie in
  // `file` at `storedAt` (the source then owns the file).
  RecordSource(std::FILE* file, int64_t storedAt, std::string stored, int64_t storedSize, int64_t size)
      : file_(file), storedAt_(storedAt), stored_(std::move(stored)), storedSize_(storedSize), size_(size) {
    // Reads come in whole input buffers: stdio's own buffer would only keep
    // bytes of the file as they were.
    if (file_) std::setvbuf(file_, nullptr, _IONBF, 0);
  }
  ~RecordSource() override {
    Release();
    if (file_) std::fclose(file_);
  }

  int64_t Size() const override { return size_; }

  size_t BytesHeld() const override {
    return stored_.capacity() + tail_.capacity() + sums_.capacity() * sizeof(uint32_t) + in_.capacity() +
           block_.capacity() + (open_ ? kZlibStateBytes : 0);
  }

  // One pass over the whole record: true when it unpacks to exactly its size
  // and zlib's own check passes. Takes the blocks' checksums and keeps the
  // record's last bytes.
  bool Validate() {
    const int64_t tailStart = size_ - std::min<int64_t>(kTailBytes, size_);
    tail_.assign(static_cast<size_t>(size_ - tailStart), 0);
    sums_.clear();
    if (!Restart()) return false;
    while (next_ * static_cast<int64_t>(kBlockBytes) < size_) {
      if (!Unpack()) return false;
      sums_.push_back(static_cast<uint32_t>(adler32(adler32(0, nullptr, 0), block_.data(), static_cast<uInt>(blockLength_))));
      const int64_t from = std::max(blockStart_, tailStart);
      if (from < blockStart_ + blockLength_)
        std::memcpy(tail_.data() + (from - tailStart), block_.data() + (from - blockStart_),
                    static_cast<size_t>(blockStart_ + blockLength_ - from));
    }
    // Nothing may follow: the record's own size is the whole of it.
    uint8_t extra = 0;
    const bool whole = open_ && Inflate(&extra, 1) == 0 && ended_ && Error().empty();
    tailStart_ = tailStart;
    Release();
    return whole;
  }

  size_t ReadAt(int64_t pos, void* dst, size_t n) override {
    if (pos < 0 || pos >= size_ || n == 0) return 0;
    n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), size_ - pos));
    auto* out = static_cast<uint8_t*>(dst);
    size_t done = 0;
    while (done < n) {
      const int64_t at = pos + static_cast<int64_t>(done);
      const uint8_t* from = nullptr;
      int64_t have = 0;
      if (at >= tailStart_ && !tail_.empty()) {
        from = tail_.data() + (at - tailStart_);
        have = size_ - at;
      } else {
        if (!open_ || at < blockStart_) Restart();
        while (open_ && at >= blockStart_ + blockLength_)
          if (!Unpack() || !Verified()) return done;
        if (!open_) return done;
        from = block_.data() + (at - blockStart_);
        have = blockStart_ + blockLength_ - at;
      }
      const size_t take = static_cast<size_t>(std::min<int64_t>(have, static_cast<int64_t>(n - done)));
      std::memcpy(out + done, from, take);
      done += take;
    }
    return done;
  }

  void Release() override {
    if (open_) inflateEnd(&zs_);
    open_ = false;
    blockStart_ = blockLength_ = 0;
    std::vector<uint8_t>().swap(in_);
    std::vector<uint8_t>().swap(block_);
  }

 private:
  bool Restart() {
    if (open_) {
      inflateReset(&zs_);
    } else {
      zs_ = z_stream{};
      if (inflateInit(&zs_) != Z_OK) {
        Fail("zlib cannot start");
        return false;
      }
      open_ = true;
    }
    in_.resize(kInputBytes);
    block_.resize(kBlockBytes);
    zs_.avail_in = 0;
    storedRead_ = 0;
    next_ = 0;
    blockStart_ = blockLength_ = 0;
    ended_ = false;
    return true;
  }

  // The next block into block_; false (and the source failed) when the
  // record ends early or is damaged.
  bool Unpack() {
    const int64_t start = next_ * static_cast<int64_t>(kBlockBytes);
    const size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kBlockBytes), size_ - start));
    const bool whole = Inflate(block_.data(), want) == want;
    blockStart_ = start;
    blockLength_ = whole ? static_cast<int64_t>(want) : 0;
    ++next_;
    if (!whole) {
      Fail("the archive record ends early");
      Release();
    }
    return whole;
  }

  bool Verified() {
    const size_t k = static_cast<size_t>(next_ - 1);
    if (k < sums_.size() &&
        adler32(adler32(0, nullptr, 0), block_.data(), static_cast<uInt>(blockLength_)) == sums_[k])
      return true;
    Fail("the archive record has changed since it was opened");
    Release();
    return false;
  }

  size_t ReadStored(uint8_t* dst, size_t n) {
    if (!file_) {
      std::memcpy(dst, stored_.data() + storedRead_, n);
      return n;
    }
    const int64_t at = storedAt_ + storedRead_;
    if (at != fileAt_ && fseeko(file_, at, SEEK_SET) != 0) return 0;
    const size_t got = std::fread(dst, 1, n, file_);
    fileAt_ = at + static_cast<int64_t>(got);
    if (got < n) {
      std::clearerr(file_);
      fileAt_ = -1;
    }
    return got;
  }

  // The next n unpacked bytes; fewer at the end of the record, or when it is
  // damaged or cannot be read (the source then failed).
  size_t Inflate(uint8_t* dst, size_t n) {
    zs_.next_out = dst;
    zs_.avail_out = static_cast<uInt>(n);
    while (zs_.avail_out > 0 && !ended_) {
      if (zs_.avail_in == 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(in_.size()), storedSize_ - storedRead_));
        if (want == 0) {
          Fail("the archive record ends early");
          break;
        }
        const size_t got = ReadStored(in_.data(), want);
        if (got < want) {
          Fail("the archive cannot be read");
          break;
        }
        storedRead_ += static_cast<int64_t>(got);
        zs_.next_in = in_.data();
        zs_.avail_in = static_cast<uInt>(got);
      }
      const int rc = inflate(&zs_, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) {
        ended_ = true;
      } else if (rc != Z_OK) {
        Fail("the archive record is damaged");
        break;
      }
    }
    return n - zs_.avail_out;
  }

  std::FILE* file_;
  int64_t storedAt_;
  std::string stored_;
  int64_t storedSize_;
  int64_t size_;
  int64_t fileAt_ = -1;
  z_stream zs_{};
  bool open_ = false;
  bool ended_ = false;
  int64_t storedRead_ = 0;
  int64_t next_ = 0;  // the block Unpack gives next
  int64_t blockStart_ = 0, blockLength_ = 0;
  std::vector<uint8_t> in_;
  std::vector<uint8_t> block_;
  std::vector<uint32_t> sums_;
  std::vector<uint8_t> tail_;
  int64_t tailStart_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> TResDb::OpenRecordSource(const ByteString& name) {
  if (!inMemory_ && !LoadTableForReading()) return nullptr;
  const TResRecord* rec = Record(loaded_ ? IndexOf(name) : -1);
  if (!rec || !Unpackable(*rec)) return nullptr;
  std::unique_ptr<RecordSource> source;
  if (inMemory_) {
    std::string_view stored;
    if (!StoredPart(memory_, *rec, stored)) return nullptr;
    source = std::make_unique<RecordSource>(nullptr, 0, std::string(stored), rec->storedSize, rec->unpackedSize);
  } else {
    std::FILE* f = std::fopen(fileName_.c_str(), "rb");
    if (!f) return nullptr;
    const int64_t storedAt = static_cast<int64_t>(rec->offset) + kRecordHeaderSize;
    if (fseeko(f, 0, SEEK_END) != 0 || ftello(f) < storedAt + rec->storedSize) {
      std::fclose(f);
      return nullptr;
    }
    source = std::make_unique<RecordSource>(f, storedAt, std::string(), rec->storedSize, rec->unpackedSize);
  }
  if (!source->Validate()) return nullptr;
  return source;
}

}  // namespace qel
