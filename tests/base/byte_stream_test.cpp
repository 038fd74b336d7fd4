#include "base/byte_stream.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(ByteStream, WriterAndReaderAgree) {
  ByteString buf;
  ByteWriter w(buf);
  w.WriteInt32(-5);
  w.WriteString("abc");
  w.WriteDouble(2.5);
  w.WriteUInt16(65000);
  w.WriteExtended(-1.25);
  ByteReader r(buf);
  int32_t i;
  std::string_view s;
  double d, e;
  uint16_t u;
  ASSERT_TRUE(r.ReadInt32(i) && r.ReadString(s) && r.ReadDouble(d) && r.ReadUInt16(u) && r.ReadExtended(e));
  EXPECT_EQ(i, -5);
  EXPECT_EQ(s, "abc");
  EXPECT_EQ(d, 2.5);
  EXPECT_EQ(u, 65000);
  EXPECT_EQ(e, -1.25);
  EXPECT_TRUE(r.AtEnd());
}

TEST(ByteStream, ReadsThatDoNotFitFailWithoutMoving) {
  ByteString buf;
  ByteWriter w(buf);
  w.WriteInt32(10);  // a string length past the end
  buf += "abc";
  ByteReader r(buf);
  std::string_view s;
  EXPECT_FALSE(r.ReadString(s));
  EXPECT_EQ(r.pos(), 0u);
  ByteString negative;
  ByteWriter(negative).WriteInt32(-1);
  ByteReader n(negative);
  EXPECT_FALSE(n.ReadString(s));
  ByteReader shortRead(std::string_view("\x01\x02", 2));
  int32_t v;
  double d;
  EXPECT_FALSE(shortRead.ReadInt32(v));
  EXPECT_FALSE(shortRead.ReadDouble(d));
  EXPECT_EQ(shortRead.pos(), 0u);
}

}  // namespace
}  // namespace qel
