#pragma once
// Text encodings. Game text is 8-bit Windows-1251 held in a ByteString; UTF-8
// is used at the edges (tools, file names, fonts) and UTF-16 for wide text.
#include <string>

namespace qel {

using ByteString = std::string;  // counted 8-bit text, Windows-1251 unless said otherwise

// Unicode code point of one Windows-1251 byte. Byte 0x98 has no assigned
// character; it maps to U+0098 so that every byte survives a round trip.
char32_t Cp1251ToCodePoint(unsigned char byte);
// The Windows-1251 byte of a code point, or -1 when there is none.
int CodePointToCp1251(char32_t cp);

std::string Cp1251ToUtf8(const ByteString& text);
// Characters without a Windows-1251 form become '?'; malformed UTF-8 bytes too.
ByteString Utf8ToCp1251(const std::string& utf8);

std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& text);

std::u16string Cp1251ToUtf16(const ByteString& text);
ByteString Utf16ToCp1251(const std::u16string& text);

// Decodes one UTF-8 sequence at text[pos]; advances pos. Malformed input
// yields U+FFFD and consumes one byte.
char32_t DecodeUtf8(const std::string& text, size_t& pos);
void AppendUtf8(std::string& out, char32_t cp);

// Windows-1251 upper and lower case (Latin and Cyrillic letters).
unsigned char UpperCp1251(unsigned char c);
unsigned char LowerCp1251(unsigned char c);
ByteString UpperCase(const ByteString& text);
ByteString LowerCase(const ByteString& text);
// ASCII-only upper-casing, as used for names and keywords.
ByteString UpperAscii(const ByteString& text);
bool SameTextAscii(const ByteString& a, const ByteString& b);

}  // namespace qel
