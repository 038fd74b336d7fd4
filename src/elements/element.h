#pragma once
// The element: one node of the game's scene tree. It owns its children and
// its script variables, carries the common published properties, and offers
// the virtual operations through which the frame loop, input routing, the
// game-file reader, scripts and host functions drive every element kind.
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "base/var_list.h"
#include "elements/class_table.h"
#include "elements/runtime.h"
#include "elements/script_host.h"

namespace qel {

class TQelDB;

// Indices of the twelve event sources every element carries, in stored order.
enum EventSlot : int {
  evMouseMove, evInit, evMouseUp, evVarRS, evMouseOut, evMouseIn,
  evAfterLoad, evMouseDown, evUpdate, evProcess, evShow, evRender, kEventSlots
};

class TQelElement {
 public:
  TQelElement();
  virtual ~TQelElement();
  TQelElement(const TQelElement&) = delete;
  TQelElement& operator=(const TQelElement&) = delete;

  // --- identity and tree ---
  virtual const ElementClass& Class() const = 0;
  const ByteString& ClassName() const { return Class().className; }
  bool IsClass(const char* className) const { return ClassName() == className; }
  ElementRef Handle() const { return handle_; }
  TQelDB* Root() const { return root_; }
  TQelElement* Parent() const { return parent_; }
  Runtime& runtime() const;
  const std::vector<std::unique_ptr<TQelElement>>& Children() const { return children_; }
  int ChildCount() const { return static_cast<int>(children_.size()); }
  TQelElement* Child(int i) const { return children_[i].get(); }
  int IndexOfChild(const TQelElement* child) const;
  // "Id <Class #Key>", as used in messages about an element.
  ByteString Description() const;
  // The name among its siblings that paths use. A change counts as a change
  // of the tree's shape: remembered paths are walked again.
  const ByteString& Id() const { return id_; }
  void SetId(std::string_view id);

  // Creates a child of the named class when the class table allows it under
  // this element's class; nil otherwise.
  TQelElement* CreateChild(const ByteString& className);
  // Adopts an element made elsewhere (used by CreateChild and tests).
  TQelElement* AddChild(std::unique_ptr<TQelElement> child);
  // Destroys a child with its subtree; later siblings move down one place.
  void DestroyChild(TQelElement* child);
  void BringToFront(TQelElement* child);
  void AssignNewKey();
  void ClearLoaded();
  TQelElement* FindByKey(int32_t key);
  // As FindByKey; hint receives the sibling following the branch that held
  // the match, at the deepest level where there is one (for sequential reads).
  TQelElement* FindByKey(int32_t key, TQelElement*& hint);
  TQelElement* FindChildById(const ByteString& id) const;
  // The first child whose upper-cased Id is upperName: the child a script
  // name reaches.
  TQelElement* ChildNamed(const ByteString& upperName) const;

  // --- scripts ---
  void RunScript(const PreparedRef& script, TVarList* outVars);
  void RunEvent(const char* eventName, const EventScript& script);
  const EventScript& Event(int slot) const;
  void SetEventSource(int slot, std::string_view source);
  // Stores a source and its prepared form (empty when no engine is attached).
  void SetScript(EventScript& script, std::string_view source);

  // --- common properties ---
  double XValue() const { return rX; }
  int32_t X() const;  // rX rounded, halves to even
  int32_t Y() const;
  void SetOrder(int32_t value);
  int32_t Order() const { return order_; }
  int32_t OrderMin() const { return orderMin_; }
  int32_t OrderMax() const { return orderMax_; }

  // --- virtual operations, in slot order ---
  virtual void SetVis(bool value) { Vis = value; }
  virtual void SetX(double value) { rX = value; }
  virtual void SetY(double value) { rY = value; }
  virtual void SetSizeX(int32_t) {}
  virtual void SetSizeY(int32_t) {}
  virtual int32_t GetSizeX() const { return 0; }
  virtual int32_t GetSizeY() const { return 0; }
  virtual int32_t GetAbsX() const;
  virtual int32_t GetAbsY() const;
  virtual TQelElement* ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold);
  virtual void SetPos(int32_t x, int32_t y) { rX = x; rY = y; }
  virtual bool LoadFromData(std::string_view data, bool keepKeys);
  virtual void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags);
  virtual void Process();
  virtual void Show();
  virtual void DoMouseIn() { RunEvent("ms_In", Event(evMouseIn)); }
  virtual void DoMouseOut() { RunEvent("ms_Out", Event(evMouseOut)); }
  virtual void DoMouseDown() { RunEvent("ms_Down", Event(evMouseDown)); }
  virtual void DoMouseUp() { RunEvent("ms_Up", Event(evMouseUp)); }
  virtual void DoMouseMove() { RunEvent("ms_Move", Event(evMouseMove)); }
  virtual void Update() { RunEvent("Update", Event(evUpdate)); }
  virtual void Init();
  virtual void ReInit();
  virtual void AfterLoad();
  virtual void LoadRes();
  virtual void ReloadRes();
  virtual bool GetValue(const ByteString& name, Variant& value);
  virtual bool SetValue(const ByteString& name, const Variant& value);
  // False only when SetValue surely refuses every value of that name. The
  // script engine relies on it to keep a routine's locals off the element:
  // a kind whose SetValue accepts extra names must answer true for them too.
  virtual bool MayTakeValue(const ByteString& name) const;
  // True when GetValue and SetValue of this name do exactly what the base
  // does with it, so that a remembered property or variable of the element
  // may be read and written without them. A kind that answers a name before
  // the base, or does more after the base took it, says false for it.
  virtual bool NamedByBase(const ByteString&) const { return true; }
  // True when GetValue may answer the name as a keyword, or as an extra name
  // of the kind. Any other name GetValue misses stays missed while the
  // element's variables, properties and children do not have it. A kind
  // with extra names adds them.
  virtual bool KeywordName(const ByteString& name) const;
  // Reads and writes a published property of the element's class, as
  // GetValue and SetValue do once they have found it.
  Variant PropertyValue(const PropertyInfo& p) const { return ReadProperty(*this, p); }
  bool SetPropertyValue(const PropertyInfo& p, const Variant& value) { return WriteProperty(*this, p, value); }

  // Width of the element's text as drawn, for the TEXTSZ keyword; only texts have one.
  virtual std::optional<double> TextWidthForScripts() const { return std::nullopt; }
  // Dotted chain of Ids from the root, for messages.
  ByteString Path() const;

  // --- fields --- (grouped by size: a game holds hundreds of thousands of elements)
  std::unique_ptr<TVarList> Vars;
  ByteString Tag;
  double rX = 0, rY = 0;
  int32_t Key = 0;
  bool Loaded = false;
  bool MousedNotVis = false;
  bool MousedVis = true;
  bool NoMsQelDB = false;
  bool MsKeep = false;
  bool NotSave = false;
  bool AutoInit = true;
  bool Initialised = false;
  bool KeepLoaded = false;
  bool Vis = false;

 protected:
  // Reads a published property as a script value: ordinals as Integer,
  // floats as Float, strings as String.
  static Variant ReadProperty(const TQelElement& e, const PropertyInfo& p);
  // Writes a script value through a property's setter with the conversions
  // of named writes; false when the value cannot be converted.
  static bool WriteProperty(TQelElement& e, const PropertyInfo& p, const Variant& value);
  bool GetKeyword(const ByteString& name, Variant& value);
  // Puts Order back without narrowing the layer ranges it widened.
  void RestoreOrder(int32_t value) { order_ = value; }

 private:
  friend class ElementTreeAccess;
  void Attach(TQelElement* parent);
  void WidenOrderRange(int32_t lo, int32_t hi);

  // Most events of most elements are empty: only the set ones are kept,
  // each with its slot number.
  struct SlotScript {
    int slot;
    EventScript script;
  };
  std::vector<SlotScript> events_;
  ByteString id_;
  TQelDB* root_ = nullptr;
  TQelElement* parent_ = nullptr;
  std::vector<std::unique_ptr<TQelElement>> children_;
  int32_t order_ = 0, orderMin_ = 0, orderMax_ = 0;
  ElementRef handle_ = 0;

 protected:
  // The root sets itself up through these (it has no parent, and its runtime
  // may go before the base part of it does).
  void AttachAsRoot(TQelDB* root);
  void DetachFromRuntime();
};

// Rounds a coordinate for the integer views X and Y.
int32_t RoundCoordinate(double v);

}  // namespace qel
