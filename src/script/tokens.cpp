#include "script/tokens.h"

#include "base/var_list.h"

namespace qel {

namespace {

constexpr const char* kTexts[kTokenCodes] = {
    "", "", "", "TRUE", "FALSE", "=", "OR", "AND", "NOT", "XOR", ",", ":", "<>", ">", "<", ">=", "<=",
    "+", "-", "*", "/", "^", "(", ")", "[", "]", ";", "//", "{", "}", ":=", "BEGIN", "END", "IF", "THEN",
    "ELSE", "FOR", "TO", "DOWNTO", "DO", "WHILE", "REPEAT", "UNTIL", "BREAK", "CONTINUE", "EXIT", "GOTO",
    "SHL", "SHR", "PROCEDURE", "FUNCTION", "USES", "INCLUDE", "CASE", "OF", ".."};

bool Ident(char c) { return IsIdentChar(static_cast<unsigned char>(c)); }

bool AllIdent(const char* text) {
  for (; *text; ++text)
    if (!Ident(*text)) return false;
  return true;
}

// Comments out, ASCII letters upper-cased outside string literals.
ByteString StripComments(const ByteString& src) {
  ByteString out;
  out.reserve(src.size());
  bool inString = false, inComment = false;
  for (size_t i = 0; i < src.size(); ++i) {
    unsigned char c = src[i];
    if (!inComment && IsQuote(c)) inString = !inString;
    if (!inString) {
      if (c == '}') {
        inComment = false;
        continue;
      }
      if (c == '\r' || c == '\n') inComment = false;
      else if (c == '{' || (c == '/' && i + 1 < src.size() && src[i + 1] == '/')) inComment = true;
    }
    if (inComment) continue;
    out += (!inString && c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : static_cast<char>(c);
  }
  return out;
}

// Longest fixed token at pos; 0 when none.
int MatchFixed(const ByteString& s, size_t pos, size_t& len) {
  int best = 0;
  len = 0;
  for (int code = tkTrue; code < kTokenCodes; ++code) {
    const char* t = kTexts[code];
    size_t n = std::char_traits<char>::length(t);
    if (n <= len || s.compare(pos, n, t) != 0) continue;
    if (AllIdent(t) && pos + n < s.size() && Ident(s[pos + n])) continue;
    best = code;
    len = n;
  }
  return best;
}

}  // namespace

const char* TokenText(int code) { return code >= 0 && code < kTokenCodes ? kTexts[code] : ""; }

bool IsBlank(unsigned char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
bool IsQuote(unsigned char c) { return c == '\'' || c == '"'; }

ByteString EncodeToken(int code, const ByteString& text) {
  ByteString out;
  out += kTokenMarker;
  out += static_cast<char>(code + 64);
  out += text;
  return out;
}

ByteString Tokenize(const ByteString& source) {
  ByteString s = StripComments(source);
  ByteString out;
  size_t pos = 0;
  while (true) {
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    if (pos >= s.size()) break;
    size_t len = 0;
    if (int code = MatchFixed(s, pos, len)) {
      out += EncodeToken(code, s.substr(pos, len));
      pos += len;
      continue;
    }
    if (IsQuote(s[pos])) {
      size_t end = pos + 1;
      while (end < s.size() && !IsQuote(s[end])) ++end;
      if (end < s.size()) ++end;
      out += EncodeToken(tkConst, s.substr(pos, end - pos));
      pos = end;
      continue;
    }
    size_t end = pos + 1;
    while (end < s.size() && Ident(s[end])) ++end;
    ByteString word = s.substr(pos, end - pos);
    bool numeric = word[0] >= '0' && word[0] <= '9';
    if (numeric) {
      size_t range = word.find("..");
      if (range != ByteString::npos) {
        word.resize(range);
        end = pos + range;
      }
    }
    out += EncodeToken(numeric ? tkConst : tkIdent, word);
    pos = end;
  }
  return out;
}

TokenList DecodeTokens(const ByteString& prepared) {
  TokenList list;
  size_t pos = 0;
  while (pos + 1 < prepared.size() && prepared[pos] == kTokenMarker) {
    int code = static_cast<unsigned char>(prepared[pos + 1]) - 64;
    if (code <= tkEof || code >= kTokenCodes) break;  // damaged text ends here
    size_t end = prepared.find(kTokenMarker, pos + 2);
    if (end == ByteString::npos) end = prepared.size();
    list.push_back({static_cast<uint8_t>(code), prepared.substr(pos + 2, end - pos - 2)});
    pos = end;
  }
  return list;
}

ByteString Encode(TokenRange r) {
  ByteString out;
  for (const Token* t = r.b; t != r.e; ++t) out += EncodeToken(t->code, t->text);
  return out;
}

ByteString Readable(TokenRange r, bool spaced) {
  ByteString out;
  for (const Token* t = r.b; t != r.e; ++t) {
    out += t->text;
    if (spaced) out += ' ';
  }
  if (spaced) out += ' ';
  return out;
}

ByteString Readable(const ByteString& prepared, bool spaced) {
  TokenList list = DecodeTokens(prepared);
  return Readable(TokenRange{list.data(), list.data() + list.size()}, spaced);
}

}  // namespace qel
