#pragma once
// The lexical layer: source text becomes prepared text, a run of tokens each
// written as the marker byte, the code + 64 and the token's text. Identifier
// and keyword texts are upper case; literals keep their source text.
#include <cstdint>
#include <vector>

#include "base/encoding.h"

namespace qel {

enum TokenCode : uint8_t {
  tkEof, tkIdent, tkConst,
  tkTrue, tkFalse, tkEq, tkOr, tkAnd, tkNot, tkXor, tkComma, tkColon, tkNe, tkGt, tkLt, tkGe, tkLe,
  tkPlus, tkMinus, tkStar, tkSlash, tkPow, tkLParen, tkRParen, tkLBracket, tkRBracket, tkSemicolon,
  tkSlashes, tkLBrace, tkRBrace, tkAssign, tkBegin, tkEnd, tkIf, tkThen, tkElse, tkFor, tkTo, tkDownto,
  tkDo, tkWhile, tkRepeat, tkUntil, tkBreak, tkContinue, tkExit, tkGoto, tkShl, tkShr, tkProcedure,
  tkFunction, tkUses, tkInclude, tkCase, tkOf, tkRange,
  kTokenCodes
};

constexpr char kTokenMarker = 0x7F;

// Fixed text of a code (empty for end of text, identifiers and constants).
const char* TokenText(int code);

struct Token {
  uint8_t code = tkEof;
  ByteString text;
};
using TokenList = std::vector<Token>;

// A slice of a token list; the compiler works on these.
struct TokenRange {
  const Token* b = nullptr;
  const Token* e = nullptr;
  size_t size() const { return static_cast<size_t>(e - b); }
  bool empty() const { return b == e; }
  uint8_t code(size_t i) const { return i < size() ? b[i].code : uint8_t{tkEof}; }
  TokenRange from(size_t i) const { return {b + (i < size() ? i : size()), e}; }
  TokenRange sub(size_t i, size_t j) const { return {b + i, b + j}; }
};

ByteString Tokenize(const ByteString& source);
TokenList DecodeTokens(const ByteString& prepared);
ByteString EncodeToken(int code, const ByteString& text);
ByteString Encode(TokenRange r);
// Token texts; spaced: each followed by a blank and one more blank at the end.
ByteString Readable(TokenRange r, bool spaced);
ByteString Readable(const ByteString& prepared, bool spaced);

bool IsBlank(unsigned char c);
bool IsQuote(unsigned char c);

}  // namespace qel
