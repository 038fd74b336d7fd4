#include "render/music_stream.h"

#include "render/byte_source.h"
#include "render/music_decoder.h"

namespace qel {
namespace {

constexpr int kFrameBytes = 4;  // 16-bit stereo

}  // namespace

MusicStream::MusicStream(std::unique_ptr<ByteSource> source, std::string label)
    : source_(std::move(source)), label_(std::move(label)) {}

MusicStream::~MusicStream() = default;

std::unique_ptr<MusicStream> MusicStream::Open(std::unique_ptr<ByteSource>& source, std::string label) {
  if (!source) return nullptr;
  std::unique_ptr<MusicStream> stream(new MusicStream(std::move(source), std::move(label)));
  const int16_t* frames = nullptr;
  if (stream->Ready(frames) == 0) {
    // Not for us: the bytes go back to the caller.
    stream->decoder_.reset();
    source = std::move(stream->source_);
    return nullptr;
  }
  stream->Park();
  return stream;
}

bool MusicStream::StartDecoder() {
  decoder_ = OpenMusicDecoder(*source_);
  fragmentFrames_ = fragmentPos_ = 0;
  lastFragment_ = false;
  decoded_ = 0;
  if (!decoder_) {
    error_ = source_->Error().empty() ? "it can no longer be decoded" : source_->Error();
    return false;
  }
  // Back to the place: the frames before it are decoded again and dropped.
  while (decoded_ < place_) {
    if (!DecodeFragment()) return false;
    const int64_t before = decoded_ - static_cast<int64_t>(fragmentFrames_);
    if (decoded_ >= place_) {
      fragmentPos_ = static_cast<size_t>(place_ - before);
      break;
    }
    if (lastFragment_) {
      error_ = "it is shorter than it was";
      return false;
    }
  }
  return true;
}

bool MusicStream::DecodeFragment() {
  fragment_.resize(MusicDecoder::kFragmentBytes / sizeof(int16_t));
  bool last = false;
  const int bytes = decoder_->NextFragment(reinterpret_cast<uint8_t*>(fragment_.data()), last);
  if (!source_->Error().empty()) {
    error_ = source_->Error();
    return false;
  }
  fragmentFrames_ = static_cast<size_t>(bytes / kFrameBytes);
  fragmentPos_ = 0;
  lastFragment_ = last;
  decoded_ += static_cast<int64_t>(fragmentFrames_);
  return true;
}

size_t MusicStream::Ready(const int16_t*& frames) {
  if (!error_.empty()) return 0;
  if (fragmentPos_ >= fragmentFrames_) {
    if (!decoder_ && !StartDecoder()) return 0;
    if (fragmentPos_ >= fragmentFrames_ && !lastFragment_ && !DecodeFragment()) return 0;
    if (fragmentPos_ >= fragmentFrames_) {
      // The end of the pass. Only a pass's last fragment may come short: an
      // empty first one means the bytes changed since they gave sound.
      if (place_ == 0) error_ = "it gives no sound any more";
      return 0;
    }
  }
  frames = fragment_.data() + fragmentPos_ * 2;
  return fragmentFrames_ - fragmentPos_;
}

void MusicStream::Consume(size_t frames) {
  fragmentPos_ += frames;
  place_ += static_cast<int64_t>(frames);
}

void MusicStream::Rewind() {
  // A decoder that has given only the first fragment, none of it used, is
  // already where a new pass starts.
  const bool atStart = place_ == 0 && fragmentPos_ == 0 && decoded_ == static_cast<int64_t>(fragmentFrames_);
  place_ = 0;
  if (decoder_ && atStart) return;
  decoder_.reset();
  fragmentFrames_ = fragmentPos_ = 0;
  lastFragment_ = false;
  decoded_ = 0;
}

void MusicStream::Park() {
  decoder_.reset();
  std::vector<int16_t>().swap(fragment_);
  fragmentFrames_ = fragmentPos_ = 0;
  lastFragment_ = false;
  decoded_ = 0;
  source_->Release();
}

size_t MusicStream::BytesHeld() const { return fragment_.capacity() * sizeof(int16_t) + source_->BytesHeld(); }

}  // namespace qel
