#pragma once
#include <cstdint>

namespace qel {

// Where a name was last found in the variable list. The list's stamp changes
// whenever a record is added or removed and its names change no other way, so
// while the stamp stays the same neither a hit nor an absence needs a search.
struct NameCache {
  int slot = -1;
  uint64_t hit = 0;   // stamp at which slot held the name
  uint64_t hitEpoch = 0;  // epoch at which it did: appends since move no record
  uint64_t miss = 0;  // stamp at which the name was absent
  // The list's epoch and length when the name was last found absent: while
  // the epoch stays, only the records appended since need a look.
  uint64_t missEpoch = 0;
  int missCount = 0;
};

}  // namespace qel
