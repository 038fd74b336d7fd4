#include "base/encoding.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

ByteString AllBytes() {
  ByteString s;
  for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s;
}

TEST(Encoding, EveryByteSurvivesUtf8AndUtf16) {
  ByteString all = AllBytes();
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
  EXPECT_EQ(Utf16ToCp1251(Cp1251ToUtf16(all)), all);
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(Cp1251ToUtf8(all))), Cp1251ToUtf8(all));
}

TEST(Encoding, CyrillicAndSymbolsMapToTheirCodePoints) {
  EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF"), "\xD0\x90\xD1\x8F");  // А я
  EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8"), "\xD0\x81\xD1\x91");  // Ё ё
  EXPECT_EQ(Cp1251ToUtf8("\x88"), "\xE2\x82\xAC");          // euro sign
  EXPECT_EQ(Utf8ToCp1251("\xE2\x84\x96"), "\xB9");          // numero sign
}

TEST(Encoding, UnmappableAndMalformedInputBecomesQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD" "b"), "a?b");  // a CJK ideograph
  EXPECT_EQ(Utf8ToCp1251("\xC3"), "?");                 // cut sequence
  EXPECT_EQ(Utf8ToCp1251("\xC0\x80"), "??");            // overlong NUL
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80").size(), 2u);  // surrogate pair
}

TEST(Encoding, CaseMappingCoversCyrillicPairs) {
  EXPECT_EQ(UpperCase("abc\xE0\xFF\xB8\xB3\xBF"), "ABC\xC0\xDF\xA8\xB2\xAF");
  EXPECT_EQ(LowerCase("ABC\xC0\xDF\xA8\xB2\xAF\x80"), "abc\xE0\xFF\xB8\xB3\xBF\x90");
  EXPECT_EQ(UpperAscii("ab\xE0"), "AB\xE0");
  EXPECT_TRUE(SameTextAscii("TQelImage", "TQELIMAGE"));
  EXPECT_FALSE(SameTextAscii("TQelImage", "TQelImag"));
}

}  // namespace
}  // namespace qel
