#include <gtest/gtest.h>

#include "base/encoding.h"
#include "hostapi/stdlib_strings.h"

namespace qel {
namespace {

const ByteString kEscapedA = ByteString("\x01\x10\x04", 3);  // U+0410 as one escaped unit

TEST(StringPositions, CopyClampsIndexAndCount) {
  EXPECT_EQ(CopyText("ABCDEF", 2, 3), "BCD");
  EXPECT_EQ(CopyText("ABC", 0, 2), "AB");
  EXPECT_EQ(CopyText("ABC", -5, 2), "AB");
  EXPECT_EQ(CopyText("ABC", 5, 1), "");
  EXPECT_EQ(CopyText("ABC", 4, 1), "");
  EXPECT_EQ(CopyText("ABC", 2, 100), "BC");
  EXPECT_EQ(CopyText("ABC", 2, INT64_MAX), "BC");
  EXPECT_EQ(CopyText("ABC", 1, 0), "");
  EXPECT_EQ(CopyText("ABC", 1, -1), "");
}

TEST(StringPositions, PossFindsFirstCaseSensitive) {
  EXPECT_EQ(Poss("CD", "ABCDCD"), 3);
  EXPECT_EQ(Poss("x", "ABC"), 0);
  EXPECT_EQ(Poss("b", "ABC"), 0);
  EXPECT_EQ(Poss("", "ABC"), 0);
  EXPECT_EQ(Poss("ABCD", "ABC"), 0);
}

TEST(StringPositions, InsertAndDelete) {
  EXPECT_EQ(InsertText("XY", "ABCDEF", 3), "ABXYCDEF");
  EXPECT_EQ(InsertText("X", "ABC", 0), "XABC");
  EXPECT_EQ(InsertText("X", "ABC", 4), "ABCX");
  EXPECT_EQ(InsertText("X", "ABC", 99), "ABCX");
  EXPECT_EQ(InsertText("X", "", 1), "X");
  EXPECT_EQ(DeleteText("ABCDEF", 2, 3), "AEF");
  EXPECT_EQ(DeleteText("ABCDEF", 5, 10), "ABCD");
  EXPECT_EQ(DeleteText("ABC", 0, 1), "ABC");
  EXPECT_EQ(DeleteText("ABC", 4, 1), "ABC");
  EXPECT_EQ(DeleteText("ABC", 1, 0), "ABC");
  EXPECT_EQ(DeleteText("ABC", 2, INT64_MAX), "A");
}

TEST(StringLength, EscapedUnitsCountOnceInUnicodeMode) {
  EXPECT_EQ(TextLength(kEscapedA, true), 1);
  EXPECT_EQ(TextLength(kEscapedA, false), 3);
  EXPECT_EQ(TextLength("a" + kEscapedA + "b", true), 3);
  // A unit cut short by the end of the text still counts, and nothing past it is read.
  EXPECT_EQ(TextLength(ByteString("a\x01", 2), true), 2);
  EXPECT_EQ(TextLength(ByteString("a\x01\x02", 3), true), 2);
  EXPECT_EQ(TextLength("", true), 0);
}

TEST(StringLength, DelLastCharRemovesWholeUnit) {
  EXPECT_EQ(DelLastChar("ab" + kEscapedA, true), "ab");
  EXPECT_EQ(DelLastChar("ab" + kEscapedA, false), "ab" + kEscapedA.substr(0, 2));
  EXPECT_EQ(DelLastChar("abc", true), "ab");
  EXPECT_EQ(DelLastChar("", true), "");
  EXPECT_EQ(DelLastChar("", false), "");
  // U+0101 escapes as 1,1,1: its inner bytes must not be taken for unit starts.
  const ByteString u0101("\x01\x01\x01", 3);
  EXPECT_EQ(DelLastChar("x" + u0101, true), "x");
  EXPECT_EQ(DelLastChar(u0101 + "y", true), u0101);
  EXPECT_EQ(DelLastChar(ByteString("x\x01", 2), true), "x");
}

TEST(StringTrim, RemovesControlCodesAndBlanks) {
  const ByteString padded = ByteString("\x00\t ab c\r\n \x1f", 11);
  EXPECT_EQ(Trim(padded), "ab c");
  EXPECT_EQ(TrimLeft(padded), ByteString("ab c\r\n \x1f"));
  EXPECT_EQ(TrimRight(padded), ByteString("\x00\t ab c", 7));
  EXPECT_EQ(Trim("   "), "");
  // 0xA0 (no-break space) is a character with a code above 32.
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
}

TEST(StringCase, Windows1251LettersIncludingCyrillic) {
  // "Ёлка Ђђ Її Ґґ ў" upper and lower, byte by byte in Windows-1251.
  EXPECT_EQ(UpperCase("\xB8\xEB\xEA\xE0 abz"), "\xA8\xCB\xCA\xC0 ABZ");
  EXPECT_EQ(LowerCase("\xA8\xCB\xCA\xC0 ABZ"), "\xB8\xEB\xEA\xE0 abz");
  EXPECT_EQ(UpperCase("\x90\xBF\xB4\xA2\xFF"), "\x80\xAF\xA5\xA1\xDF");
  EXPECT_EQ(LowerCase("\x80\xAF\xA5\xA1\xDF"), "\x90\xBF\xB4\xA2\xFF");
  // Signs and digits are left alone.
  EXPECT_EQ(UpperCase("\xB9\xAB" "1_"), "\xB9\xAB" "1_");
}

TEST(StringCase, AgreesWithUnicodeCaseForEveryByte) {
  // Cyrillic case pairs in Unicode: U+0400..040F <-> U+0450..045F,
  // U+0410..042F <-> U+0430..044F, U+0490 <-> U+0491; Latin a-z.
  auto unicodeUpper = [](char32_t cp) -> char32_t {
    if (cp >= U'a' && cp <= U'z') return cp - 32;
    if (cp >= 0x430 && cp <= 0x44F) return cp - 32;
    if (cp >= 0x450 && cp <= 0x45F) return cp - 80;
    if (cp == 0x491) return 0x490;
    return cp;
  };
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    const char32_t expected = unicodeUpper(Cp1251ToCodePoint(byte));
    EXPECT_EQ(Cp1251ToCodePoint(UpperCp1251(byte)), expected) << "byte " << b;
    if (expected != Cp1251ToCodePoint(byte)) {
      EXPECT_EQ(LowerCp1251(UpperCp1251(byte)), byte) << "byte " << b;
    }
  }
}

TEST(StringNumbers, CharAndIntToStr) {
  EXPECT_EQ(CharOf(65), "A");
  EXPECT_EQ(CharOf(256 + 66), "B");
  EXPECT_EQ(CharOf(-1), "\xFF");
  EXPECT_EQ(CharOf(0), ByteString(1, '\0'));
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(INT32_MIN), "-2147483648");
}

TEST(StringNumbers, StrToIntNeverFails) {
  EXPECT_EQ(StrToInt("12"), 12);
  EXPECT_EQ(StrToInt("  -12"), -12);
  EXPECT_EQ(StrToInt("12a"), 0);
  EXPECT_EQ(StrToInt("12 "), 0);
  EXPECT_EQ(StrToInt(""), 0);
  EXPECT_EQ(StrToInt("1.5"), 0);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("2147483648"), 0);
  EXPECT_EQ(StrToInt("99999999999999999999999"), 0);
}

TEST(StringNumbers, StrToFloatWantsPointAndWholeText) {
  EXPECT_EQ(StrToFloat(" 1.5 "), 1.5);
  EXPECT_EQ(StrToFloat("-2e3"), -2000.0);
  EXPECT_EQ(StrToFloat("+.5"), 0.5);
  EXPECT_EQ(StrToFloat("7"), 7.0);
  EXPECT_FALSE(StrToFloat("1,5"));
  EXPECT_FALSE(StrToFloat(""));
  EXPECT_FALSE(StrToFloat("."));
  EXPECT_FALSE(StrToFloat("1e"));
  EXPECT_FALSE(StrToFloat("1e999"));
  EXPECT_EQ(StrToFloat("1e-999"), 0.0);
}

TEST(StringNumbers, ValReportsFirstOffendingPosition) {
  EXPECT_EQ(Val("1.5x").code, 4);
  EXPECT_EQ(Val("1.5").code, 0);
  EXPECT_EQ(Val("1.5").value, 1.5);
  EXPECT_EQ(Val("  -3").value, -3.0);
  EXPECT_EQ(Val("3 ").code, 2);  // not trimmed at the end
  EXPECT_EQ(Val("").code, 1);
  EXPECT_EQ(Val("abc").code, 1);
  EXPECT_EQ(Val("-").code, 2);
  EXPECT_EQ(Val("1e").code, 3);
  EXPECT_EQ(Val("1e+").code, 4);
  EXPECT_EQ(Val("1.5x").value, 0.0);
  EXPECT_NE(Val("1e999").code, 0);
}

}  // namespace
}  // namespace qel
