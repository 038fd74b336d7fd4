// The lexical layer: comments, case, fixed tokens, literals and words.
#include <gtest/gtest.h>

#include "script/tokens.h"

namespace qel {
namespace {

std::string Spaced(const std::string& source) { return Readable(Tokenize(source), true); }

TEST(Tokenize, CommentsEndAtLineEndsAndStrayBracesVanish) {
  EXPECT_EQ(Spaced("a := 1 { comment\nb := 2"), "A := 1 B := 2  ");
  EXPECT_EQ(Spaced("a // 'not a string\nb } c"), "A B C  ");
  EXPECT_EQ(Spaced("s := '{x} // y'"), "S := '{x} // y'  ");
}

TEST(Tokenize, KeywordsNeedAWordBoundaryAndLongestTextWins) {
  TokenList t = DecodeTokens(Tokenize("order or1 or x<=y x:=y x..5 1..5 1 .. 5"));
  ASSERT_GE(t.size(), 14u);
  EXPECT_EQ(t[0].code, tkIdent);  // ORDER
  EXPECT_EQ(t[1].code, tkIdent);  // OR1
  EXPECT_EQ(t[2].code, tkOr);
  EXPECT_EQ(t[4].code, tkLe);
  EXPECT_EQ(t[7].code, tkAssign);
  EXPECT_EQ(t[9].text, "X..5");
  EXPECT_EQ(t[10].text, "1");     // a number is cut before ".."
  EXPECT_EQ(t[11].text, "..5");   // and the rest is an identifier
  EXPECT_EQ(t[13].code, tkRange);
}

TEST(Tokenize, LiteralsRunToTheNextQuoteOfEitherKind) {
  TokenList t = DecodeTokens(Tokenize("'It''s' \"a'b"));
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].text, "'It'");
  EXPECT_EQ(t[1].text, "'s'");
  EXPECT_EQ(t[2].text, "\"a'");
  EXPECT_EQ(t[3].text, "B");
}

TEST(Tokenize, OddCharactersBecomeIdentifiersAndCyrillicIsNotUpperCased) {
  TokenList t = DecodeTokens(Tokenize("! $ab \xE0\xE1"));
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].text, "!");
  EXPECT_EQ(t[1].text, "$AB");
  EXPECT_EQ(t[2].text, "\xE0\xE1");
}

TEST(Tokenize, EncodedFormAndDamagedText) {
  EXPECT_EQ(EncodeToken(tkIdent, "X"), std::string("\x7F") + "AX");
  EXPECT_EQ(Readable(Tokenize("a+b"), false), "A+B");
  EXPECT_TRUE(DecodeTokens("\x7F").empty());
  EXPECT_TRUE(DecodeTokens(std::string("\x7F\x10xyz")).empty());
  EXPECT_EQ(DecodeTokens(std::string("\x7F" "AX\x7F")).size(), 1u);
}

}  // namespace
}  // namespace qel
