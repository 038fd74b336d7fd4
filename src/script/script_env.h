#pragma once
// What the interpreter needs from the game around it: the element tree seen
// from the running element, the error-log switch and the text tables. The
// interpreter works without one (no current element, nothing logged).
#include <memory>

#include "base/var_list.h"
#include "script/fast_numbers.h"

namespace qel {

class ElementRegistry;
class Runtime;
class TQelElement;
struct PropertyInfo;

enum class PathRead : uint8_t {
  Found,      // value filled in
  NotVar,     // walk reached an element that has no such name: value is Byte 0
  NotVarNil,  // walk ended at a nil element: value is Byte 0
  Failed      // a leading dot or an inner segment could not be walked
};

// What a name of a compiled script remembers of the last walk of its path,
// so that the next read or write can go straight to the element. Only the
// environment fills and reads it. It holds while the tree keeps its shape,
// the same element runs the script, every element the walk asked keeps the
// names of its variables, and a script variable the walk went through still
// sits in the same place of the same list and refers to the same element.
struct PathSite {
  static constexpr int kMaxAsked = 6;
  struct Asked {
    const TQelElement* element;
    uint64_t varsStamp;  // stamp of its variables, 0 when it has none
  };
  const void* tree = nullptr;  // the registry of the walk; null: nothing remembered
  uint64_t treeStamp = 0;
  uint32_t start = 0;          // handle of the element the walk started from
  TQelElement* target = nullptr;
  const PropertyInfo* property = nullptr;  // the last segment: a property of the target,
  int var = -1;                // or the position of one of its variables
  int askedCount = 0;
  Asked asked[kMaxAsked];
  int varSlot = -1;  // position of the script variable of a step, -1 when none
  uint64_t varStamp = 0;
  uint32_t varHandle = 0;
};

// What a remembered site is checked against, in the environment: the tree
// and the running element, read where the interpreter needs them without
// a call.
struct PathWatch {
  const ElementRegistry* tree = nullptr;
  const uint32_t* current = nullptr;  // handle of the running element
};

// Room for a name's PathSite, made the first time the name is walked.
class PathSiteSlot {
 public:
  PathSite& get() {
    if (!site_) site_ = std::make_unique<PathSite>();
    return *site_;
  }
  // Null until the name was walked once.
  PathSite* peek() const { return site_.get(); }

 private:
  std::unique_ptr<PathSite> site_;
};

class ScriptEnv {
 public:
  virtual ~ScriptEnv() = default;
  // Reads a dotted path starting at the current element; vars are the
  // interpreter's variables, consulted for inner segments.
  virtual PathRead ResolvePath(const ByteString& path, const TVarList& vars, Variant& value) = 0;
  // Writes through a dotted path; true only when an element took the value.
  virtual bool AssignPath(const ByteString& path, const Variant& value, const TVarList& vars) = 0;
  // The same for a name of a compiled script; the environment may remember
  // the walk in site and skip it next time, with the same outcome.
  virtual PathRead ResolvePathAt(const ByteString& path, const TVarList& vars, Variant& value, PathSite&) {
    return ResolvePath(path, vars, value);
  }
  virtual bool AssignPathAt(const ByteString& path, const Variant& value, const TVarList& vars, PathSite&) {
    return AssignPath(path, value, vars);
  }
  // Reads and writes a plain number through a remembered site alone, for
  // in-place arithmetic; false, with nothing read or changed, when the site
  // no longer holds, the value is no such number or the element refuses it.
  virtual bool ReadRememberedNum(PathSite&, const TVarList&, Num&) { return false; }
  virtual bool WriteRememberedNum(PathSite&, const TVarList&, const Num&) { return false; }
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
  // Null when the environment remembers no paths.
  const PathWatch* watch() const { return watch_.tree ? &watch_ : nullptr; }

 protected:
  PathWatch watch_;
};

}  // namespace qel
