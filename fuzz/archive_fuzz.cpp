// Resource archives opened from memory: the table, then every record it lists (and one
// name it does not), as the font list and the image cache read them.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "render/res_db.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::TResDb db;
  if (!db.OpenFromMemory(std::string(qel::fuzz::AsView(data, size)))) return 0;
  std::vector<uint8_t> record;
  for (int i = 0; i < db.RecordCount(); ++i) {
    db.RecordType(i);
    db.ReadRecord(db.RecordName(i), record);
  }
  db.ReadRecord("fonts\\main", record);
  return 0;
}
