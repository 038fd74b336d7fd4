#pragma once
// The saved-state stream: flat records (element key, upper-case name, type
// tag, value) written from a running tree and applied back by name.
#include <functional>
#include <string_view>

#include "base/variant.h"

namespace qel {

class TQelDB;
class TQelElement;

// Appends the state records of the whole tree to out.
void SaveState(TQelDB& root, ByteString& out);
// Appends one named value of an element; nothing when the element does not
// know the name or the value has no stored form.
void WriteStateValue(TQelElement& element, const ByteString& name, ByteString& out);

// One record as read from a stream.
struct StateRecord {
  int32_t key = 0;
  ByteString name;
  char tag = 0;
  Variant value;  // for "O", the referenced key as Integer
  bool known = false;  // tag was one of I E W O S
  size_t offset = 0;
};

// Reads records until the end; calls visit for each. A truncated record
// ends the reading: false, and problem tells where.
bool ReadStateRecords(std::string_view stream, const std::function<void(const StateRecord&)>& visit,
                      ByteString* problem = nullptr);

// Applies a stream to the tree through SetValue. Records for unknown keys,
// for elements with NotSave, and with unknown tags are skipped. Returns
// false when the stream was cut short (what came before it is applied).
bool RestoreStateRecords(TQelDB& root, std::string_view stream, ByteString* problem = nullptr);

}  // namespace qel
