#pragma once
// The element class table: one entry per element class in registration
// order, with the allowed parent classes and the published properties.
#include <memory>
#include <unordered_map>
#include <vector>

#include "elements/property.h"

namespace qel {

class TQelElement;

struct ElementClass {
  ByteString className;   // e.g. "TQelImage"
  ByteString shortName;   // e.g. "Image"
  std::vector<ByteString> allowedParents;
  std::vector<PropertyInfo> properties;
  std::unique_ptr<TQelElement> (*create)() = nullptr;  // nil for the root

  // Case-insensitive property lookup; -1 when the class has no such property.
  int FindProperty(const ByteString& name) const;
  int FindPropertyUpper(const ByteString& upperName) const;
  void IndexProperties();

 private:
  std::unordered_map<ByteString, int> byUpperName_;
  bool bracketNames_ = false;  // a property name has a '[': array element names may be one
};

class ElementClassTable {
 public:
  // The table of the eleven element classes with their allowed children. It
  // never changes after it is built, so one instance serves every game.
  static const ElementClassTable& Standard();

  void RegisterElementClass(ElementClass entry);
  void AllowChild(const ByteString& parent, const ByteString& child);

  const ElementClass* Find(const ByteString& className) const;  // exact, case-sensitive
  const std::vector<ElementClass>& entries() const { return entries_; }

 private:
  std::vector<ElementClass> entries_;
};

}  // namespace qel
