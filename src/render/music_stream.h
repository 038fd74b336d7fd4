#pragma once
// A looped music stream decoded while it plays, one fragment (1024 frames)
// at a time, so that it holds its decoder's state and one fragment instead of
// the whole decoded track. A pass ends where the whole-file decoder ends the
// sound; the next pass starts a fresh decoder, so every pass gives the same
// samples. A stopped stream gives its decoder back and keeps only its place.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class ByteSource;
class MusicDecoder;

class MusicStream {
 public:
  // Takes `source` when its bytes are decoded here and give sound; otherwise
  // returns null and leaves `source` to the caller (to decode it whole).
  static std::unique_ptr<MusicStream> Open(std::unique_ptr<ByteSource>& source, std::string label);
  ~MusicStream();

  // The frames ready at the current place (interleaved stereo), decoding the
  // next fragment when none are; 0 at the end of a pass, or when the stream
  // cannot go on (Error() says why).
  size_t Ready(const int16_t*& frames);
  void Consume(size_t frames);
  // Back to the start: the next Ready begins a new pass.
  void Rewind();
  // Gives back the decoder and the buffers; the place is kept, and the next
  // Ready decodes up to it again.
  void Park();

  const std::string& Error() const { return error_; }
  const std::string& Label() const { return label_; }
  int64_t Place() const { return place_; }  // frames into the pass
  // Memory of the fragment and the source's buffers (not the decoder's own).
  size_t BytesHeld() const;

 private:
  MusicStream(std::unique_ptr<ByteSource> source, std::string label);
  bool StartDecoder();
  bool DecodeFragment();

  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<MusicDecoder> decoder_;
  std::string label_;
  std::string error_;
  std::vector<int16_t> fragment_;
  size_t fragmentFrames_ = 0;
  size_t fragmentPos_ = 0;
  bool lastFragment_ = false;  // the decoder gave the pass's last fragment
  int64_t place_ = 0;          // frames consumed in this pass
  int64_t decoded_ = 0;        // frames the current decoder gave
};

}  // namespace qel
