#pragma once
// What the interpreter needs from the game around it: the element tree seen
// from the running element, the error-log switch and the text tables. The
// interpreter works without one (no current element, nothing logged).
#include "base/var_list.h"

namespace qel {

class Runtime;
class TQelElement;

enum class PathRead : uint8_t {
  Found,      // value filled in
  NotVar,     // walk reached an element that has no such name: value is Byte 0
  NotVarNil,  // walk ended at a nil element: value is Byte 0
  Failed      // a leading dot or an inner segment could not be walked
};

class ScriptEnv {
 public:
  virtual ~ScriptEnv() = default;
  // Reads a dotted path starting at the current element; vars are the
  // interpreter's variables, consulted for inner segments.
  virtual PathRead ResolvePath(const ByteString& path, const TVarList& vars, Variant& value) = 0;
  // Writes through a dotted path; true only when an element took the value.
  virtual bool AssignPath(const ByteString& path, const Variant& value, const TVarList& vars) = 0;
  // False only when AssignPath surely refuses every value of this plain
  // (undotted) name, which then can only be a script variable.
  virtual bool MayTake(const ByteString&) const { return true; }
  // "Id <ClassName>" of the current element, or "" when there is none.
  virtual ByteString Place() const = 0;
  virtual ByteString EventName() const = 0;
  // The root's SaveErr: whether log lines are written at all.
  virtual bool SaveErr() const = 0;
  virtual bool UnicodeMode() const = 0;
  // Language text of a key, "" when there is none.
  virtual ByteString GetLangText(const ByteString& key) const = 0;
  virtual Runtime* runtime() const { return nullptr; }
  virtual TQelElement* CurrentElement() const { return nullptr; }
  virtual TQelElement* RootElement() const { return nullptr; }
};

}  // namespace qel
