#pragma once
// Writes element records by hand, independent of the reader under test.
#include <string>
#include <vector>

#include "base/byte_stream.h"

namespace qel::test {

class Record {
 public:
  explicit Record(std::string className) : className_(std::move(className)) {}
  Record& Int(int32_t v) { ByteWriter(values_).WriteInt32(v), ++count_; return *this; }
  Record& Dbl(double v) { ByteWriter(values_).WriteDouble(v), ++count_; return *this; }
  Record& Str(const std::string& v) { ByteWriter(values_).WriteString(v), ++count_; return *this; }
  Record& Child(const Record& c) { ByteWriter(children_).WriteString(c.Bytes()); return *this; }
  Record& RawChild(const std::string& bytes) { ByteWriter(children_).WriteString(bytes); return *this; }
  // Overrides the stored value count (for malformed records).
  Record& Count(int32_t n) { forcedCount_ = n; return *this; }
  // The five values every class starts with.
  Record& Common(int32_t key, const std::string& id, int32_t x = 0, int32_t y = 0, bool vis = true) {
    return Int(key).Str(id).Int(x).Int(y).Int(vis ? 1 : 0);
  }
  std::string Bytes() const {
    std::string out;
    ByteWriter w(out);
    w.WriteString(className_);
    w.WriteInt32(forcedCount_ >= -1000 ? forcedCount_ : count_);
    return out + values_ + children_;
  }

 private:
  std::string className_;
  std::string values_, children_;
  int32_t count_ = 0;
  int32_t forcedCount_ = -100000;
};

}  // namespace qel::test
