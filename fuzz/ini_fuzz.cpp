// Ini text in every encoding the player reads: the 8-bit table, the
// encoding detection and the wide table, a write into each, and the text
// written back read again.
#include "fuzz_support.h"
#include "gamedb/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = qel::fuzz::AsView(data, size);
  qel::IniTable table(input);
  table.Find("Def", "Snd");
  table.Write("Def", "Muz", "50");
  qel::IniTable again(table.Text());
  if (again.Find("Def", "Muz") != std::optional<std::string>("50")) std::abort();

  qel::TextEncoding encoding = qel::DetectEncoding(input);
  std::u16string wide = qel::DecodeText(input, encoding);
  qel::IniTable wideTable(qel::Utf16ToUtf8(wide), qel::IniTable::Folding::Ascii);
  wideTable.Find("Default", "Title");
  wideTable.Write("S", "K", "#$#$41");
  qel::EncodeText(qel::Utf8ToUtf16(wideTable.Text()), encoding);
  return 0;
}
