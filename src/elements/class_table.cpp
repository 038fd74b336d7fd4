#include "elements/class_table.h"

#include "elements/kinds.h"
#include "elements/property_builders.h"
#include "elements/qel_db.h"

namespace qel {

using namespace props;

int ElementClass::FindPropertyUpper(const ByteString& upperName) const {
  auto it = byUpperName_.find(upperName);
  return it == byUpperName_.end() ? -1 : it->second;
}

int ElementClass::FindProperty(const ByteString& name) const {
  // Scripts ask in upper case already: no copy then. Script array elements
  // (NAME[k]) are asked for often and are no property: no hashing for them.
  for (char c : name) {
    if (c >= 'a' && c <= 'z') return FindPropertyUpper(UpperAscii(name));
    if (c == '[' && !bracketNames_) return -1;
  }
  return FindPropertyUpper(name);
}

void ElementClass::IndexProperties() {
  byUpperName_.clear();
  bracketNames_ = false;
  for (size_t i = 0; i < properties.size(); ++i) {
    byUpperName_.emplace(properties[i].upperName, static_cast<int>(i));
    if (properties[i].upperName.find('[') != ByteString::npos) bracketNames_ = true;
  }
}

void ElementClassTable::RegisterElementClass(ElementClass entry) {
  if (entry.shortName.empty()) {
    const ByteString& n = entry.className;
    entry.shortName = n.size() >= 4 && SameTextAscii(n.substr(0, 4), "TQel") ? n.substr(4) : n;
  }
  entry.IndexProperties();
  entries_.push_back(std::move(entry));
}

void ElementClassTable::AllowChild(const ByteString& parent, const ByteString& child) {
  for (auto& e : entries_)
    if (e.className == child) {
      e.allowedParents.push_back(parent);
      return;
    }
}

const ElementClass* ElementClassTable::Find(const ByteString& className) const {
  for (const auto& e : entries_)
    if (e.className == className) return &e;
  return nullptr;
}

namespace {

const std::vector<ByteString> kPosHorNames = {"phLeft", "phCenter", "phRight"};
const std::vector<ByteString> kPosVertNames = {"pvTop", "pvCenter", "pvBottom"};
const std::vector<ByteString> kShapeTypeNames = {"stBox", "stCircle"};

// --- properties every kind shares ---

PropertyInfo KeyProp() { return Ordinal<&TQelElement::Key>("Key", PropType::Integer); }
PropertyInfo IdProp() {
  PropertyInfo p = Named("Id", PropType::String);
  p.getString = [](const TQelElement& e) { return e.Id(); };
  p.setString = [](TQelElement& e, std::string_view v) { e.SetId(v); };
  return p;
}
PropertyInfo TagProp() { return String<&TQelElement::Tag>("Tag"); }
PropertyInfo NotSaveProp() { return Ordinal<&TQelElement::NotSave>("NotSave", PropType::Boolean); }
PropertyInfo MousedNotVisProp() { return Ordinal<&TQelElement::MousedNotVis>("MousedNotVis", PropType::Boolean); }
PropertyInfo MousedVisProp() { return Ordinal<&TQelElement::MousedVis>("MousedVis", PropType::Boolean); }
PropertyInfo NoMsQelDBProp() { return Ordinal<&TQelElement::NoMsQelDB>("NoMsQelDB", PropType::Boolean); }
PropertyInfo MsKeepProp() { return Ordinal<&TQelElement::MsKeep>("MsKeep", PropType::Boolean); }
PropertyInfo AutoInitProp() { return Ordinal<&TQelElement::AutoInit>("AutoInit", PropType::Boolean); }

PropertyInfo XProp() {
  PropertyInfo p = Named("X", PropType::Integer);
  p.getOrdinal = [](const TQelElement& e) { return int64_t{e.X()}; };
  p.setOrdinal = [](TQelElement& e, int64_t v) { e.SetX(static_cast<double>(static_cast<int32_t>(v))); };
  return p;
}

PropertyInfo YProp() {
  PropertyInfo p = Named("Y", PropType::Integer);
  p.getOrdinal = [](const TQelElement& e) { return int64_t{e.Y()}; };
  p.setOrdinal = [](TQelElement& e, int64_t v) { e.SetY(static_cast<double>(static_cast<int32_t>(v))); };
  return p;
}

PropertyInfo RXProp() {
  PropertyInfo p = Named("rX", PropType::Double);
  p.getFloat = [](const TQelElement& e) { return e.rX; };
  p.setFloat = [](TQelElement& e, double v) { e.SetX(v); };
  return p;
}

PropertyInfo RYProp() {
  PropertyInfo p = Named("rY", PropType::Double);
  p.getFloat = [](const TQelElement& e) { return e.rY; };
  p.setFloat = [](TQelElement& e, double v) { e.SetY(v); };
  return p;
}

PropertyInfo VisProp() {
  PropertyInfo p = Named("Vis", PropType::Boolean);
  p.getOrdinal = [](const TQelElement& e) { return int64_t{e.Vis}; };
  p.setOrdinal = [](TQelElement& e, int64_t v) { e.SetVis(v != 0); };
  return p;
}

PropertyInfo OrderProp() {
  PropertyInfo p = Named("Order", PropType::Integer);
  p.getOrdinal = [](const TQelElement& e) { return int64_t{e.Order()}; };
  p.setOrdinal = [](TQelElement& e, int64_t v) { e.SetOrder(static_cast<int32_t>(v)); };
  return p;
}

PropertyInfo SizeXProp() {
  PropertyInfo p = Named("SizeX", PropType::Integer);
  p.getOrdinal = [](const TQelElement& e) { return int64_t{e.GetSizeX()}; };
  p.setOrdinal = [](TQelElement& e, int64_t v) { e.SetSizeX(static_cast<int32_t>(v)); };
  return p;
}

PropertyInfo SizeYProp() {
  PropertyInfo p = Named("SizeY", PropType::Integer);
  p.getOrdinal = [](const TQelElement& e) { return int64_t{e.GetSizeY()}; };
  p.setOrdinal = [](TQelElement& e, int64_t v) { e.SetSizeY(static_cast<int32_t>(v)); };
  return p;
}

template <int Slot>
PropertyInfo Event(const char* name) {
  PropertyInfo p = Named(name, PropType::String);
  p.getString = [](const TQelElement& e) { return e.Event(Slot).source; };
  p.setString = [](TQelElement& e, std::string_view v) { e.SetEventSource(Slot, v); };
  return p;
}

PropertyInfo Enum(PropertyInfo p, const std::vector<ByteString>& names) {
  p.enumNames = &names;
  return p;
}

template <auto M>
PropertyInfo PosHorProp() { return Enum(Ordinal<M>("PosHor", PropType::Enum), kPosHorNames); }
template <auto M>
PropertyInfo PosVertProp() { return Enum(Ordinal<M>("PosVert", PropType::Enum), kPosVertNames); }

// hxColor/hxTrans: two views of one ARGB field.
template <auto M>
PropertyInfo RgbProp(const char* name) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = Named(name, PropType::Cardinal);
  p.getOrdinal = [](const TQelElement& e) { return int64_t{ColorRgb(static_cast<const C&>(e).*M)}; };
  p.setOrdinal = [](TQelElement& e, int64_t v) {
    auto& c = static_cast<C&>(e).*M;
    c = WithRgb(c, static_cast<uint32_t>(v));
  };
  return p;
}

template <auto M>
PropertyInfo AlphaProp(const char* name) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = Named(name, PropType::Byte);
  p.getOrdinal = [](const TQelElement& e) { return int64_t{ColorAlpha(static_cast<const C&>(e).*M)}; };
  p.setOrdinal = [](TQelElement& e, int64_t v) {
    auto& c = static_cast<C&>(e).*M;
    c = WithAlpha(c, static_cast<uint32_t>(v));
  };
  return p;
}

// Scale and Angle of images: stored in thousandths.
template <auto M>
PropertyInfo MilliProp(const char* name) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = Named(name, PropType::Extended);
  p.getFloat = [](const TQelElement& e) { return (static_cast<const C&>(e).*M) / 1000.0; };
  p.setFloat = [](TQelElement& e, double v) { static_cast<C&>(e).*M = ToThousandths(v); };
  return p;
}

ElementClass MakeClass(const char* name, std::vector<PropertyInfo> properties,
                       std::unique_ptr<TQelElement> (*create)()) {
  ElementClass c;
  c.className = name;
  c.properties = std::move(properties);
  c.create = create;
  return c;
}

template <class T>
std::unique_ptr<TQelElement> Make() {
  return std::make_unique<T>();
}

ElementClass DBClass() {
  using D = TQelDB;
  return MakeClass("TQelDB", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      Ordinal<&D::CurKey>("CurKey", PropType::Integer),
      Ordinal<&D::InitScreen>("InitScreen", PropType::Integer),
      Event<evVarRS>("exVarRS"), Event<evInit>("exInit"), Event<evAfterLoad>("exAfterLoad"),
      Event<evMouseDown>("exMouseDown"), Event<evMouseUp>("exMouseUp"), Event<evUpdate>("exUpdate"),
      Event<evProcess>("exProcess"),
      StringVia<&D::FileRS, &D::SetFileRS>("FileRS"), StringVia<&D::FileFonts, &D::SetFileFonts>("FileFonts"),
      Ordinal<&D::hxTransLev>("hxTransLev", PropType::Byte),
      StringVia<&D::DefLang, &D::SetDefLang>("DefLang"), StringVia<&D::Lang, &D::SetLang>("Lang"),
      Ordinal<&D::LoadingScreen>("LoadingScreen", PropType::Integer),
      NotSaveProp(),
      Script<&D::exLoadImProcess>("exLoadImProcess"),
      StringVia<&D::IniFile, &D::SetIniFile>("IniFile"), StringVia<&D::SoundFile, &D::SetSoundFile>("SoundFile"),
      Script<&D::exKeyDown>("exKeyDown"), Script<&D::exExit>("exExit"),
      Event<evMouseMove>("exMouseMove"),
      Ordinal<&D::MaxMem>("MaxMem", PropType::Integer),
      Script<&D::exCheat>("exCheat"), String<&D::Cheats>("Cheats"),
      Ordinal<&D::SaveErr>("SaveErr", PropType::Boolean),
      Script<&D::exSetScreen>("exSetScreen"),
      Ordinal<&D::AlwaysLoadIm>("AlwaysLoadIm", PropType::Boolean),
  }, nullptr);
}

ElementClass ScreenClass() {
  using S = TQelScreen;
  return MakeClass("TQelScreen", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      PictureProp<&S::Background, &S::SetImBack>("ImBack"), SizeXProp(), SizeYProp(),
      Ordinal<&S::hxDrawFx>("hxDrawFx", PropType::Cardinal),
      Ordinal<&S::Agro>("Agro", PropType::Integer),
      Ordinal<&S::Modal>("Modal", PropType::Boolean),
      Event<evInit>("exInit"), Event<evAfterLoad>("exAfterLoad"), Event<evUpdate>("exUpdate"),
      Event<evProcess>("exProcess"), OrderProp(), Event<evVarRS>("exVarRS"), Event<evShow>("exShow"),
      TagProp(), Ordinal<&S::AllwaysLoad>("AllwaysLoad", PropType::Boolean), NotSaveProp(),
      Event<evRender>("exRender"), AutoInitProp(),
  }, Make<S>);
}

ElementClass ExScreenClass() {
  using S = TQelExScreen;
  return MakeClass("TQelExScreen", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      PosHorProp<&S::PosHor>(), PosVertProp<&S::PosVert>(),
      OrdinalVia<&S::obScreen, &S::SetObScreen>("obScreen", PropType::Integer),
      Event<evVarRS>("exVarRS"), Event<evInit>("exInit"), Event<evAfterLoad>("exAfterLoad"),
      Event<evMouseIn>("exMouseIn"), Event<evMouseOut>("exMouseOut"), Event<evMouseMove>("exMouseMove"),
      Event<evMouseDown>("exMouseDown"), Event<evMouseUp>("exMouseUp"), Event<evUpdate>("exUpdate"),
      Event<evProcess>("exProcess"), Ordinal<&S::Modal>("Modal", PropType::Boolean), Event<evShow>("exShow"),
      TagProp(), NotSaveProp(), Ordinal<&S::Processing>("Processing", PropType::Boolean),
  }, Make<S>);
}

ElementClass ImageClass() {
  using I = TQelImage;
  return MakeClass("TQelImage", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      PictureProp<&I::Image, &I::SetImImage>("imImage"), Ordinal<&I::hxDrawFx>("hxDrawFx", PropType::Cardinal),
      PosHorProp<&I::PosHor>(), PosVertProp<&I::PosVert>(),
      MilliProp<&I::ScaleMilli>("Scale"), MilliProp<&I::AngleMilli>("Angle"),
      RgbProp<&I::Color>("hxColor"), AlphaProp<&I::Color>("hxTrans"), MousedNotVisProp(),
      Event<evVarRS>("exVarRS"), Event<evInit>("exInit"), Event<evAfterLoad>("exAfterLoad"),
      Event<evMouseIn>("exMouseIn"), Event<evMouseOut>("exMouseOut"), Event<evMouseMove>("exMouseMove"),
      Event<evMouseDown>("exMouseDown"), Event<evMouseUp>("exMouseUp"), Event<evUpdate>("exUpdate"),
      Event<evProcess>("exProcess"), MousedVisProp(), Ordinal<&I::Anim>("Anim", PropType::Integer),
      NoMsQelDBProp(), OrderProp(), RXProp(), RYProp(),
      Float<&I::ScaleX>("ScaleX", PropType::Extended), Float<&I::ScaleY>("ScaleY", PropType::Extended),
      Ordinal<&I::Interpol>("Interpol", PropType::Boolean), Ordinal<&I::InterpolSc>("InterpolSc", PropType::Boolean),
      MsKeepProp(), TagProp(), StringVia<&I::TextId, &I::SetTextId>("TextId"), NotSaveProp(),
  }, Make<I>);
}

ElementClass ShapeClass() {
  using S = TQelShape;
  return MakeClass("TQelShape", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      Ordinal<&S::hxDrawFx>("hxDrawFx", PropType::Cardinal),
      RgbProp<&S::Color>("hxColor"), AlphaProp<&S::Color>("hxTrans"), MousedNotVisProp(),
      Event<evVarRS>("exVarRS"), Event<evInit>("exInit"), Event<evAfterLoad>("exAfterLoad"),
      Event<evMouseIn>("exMouseIn"), Event<evMouseOut>("exMouseOut"), Event<evMouseMove>("exMouseMove"),
      Event<evMouseDown>("exMouseDown"), Event<evMouseUp>("exMouseUp"), Event<evUpdate>("exUpdate"),
      Event<evProcess>("exProcess"), MousedVisProp(), NoMsQelDBProp(), OrderProp(), RXProp(), RYProp(),
      SizeXProp(), SizeYProp(), TagProp(), NotSaveProp(), Ordinal<&S::Crop>("Crop", PropType::Boolean),
      Enum(Ordinal<&S::ShapeType>("ShapeType", PropType::Enum), kShapeTypeNames),
      Float<&S::Par1>("Par1"), Float<&S::Par2>("Par2"), Float<&S::Par3>("Par3"),
  }, Make<S>);
}

// Text settings whose change lays the text out again.
template <bool TQelText::*M>
PropertyInfo RelaidFlag(const char* name) {
  PropertyInfo p = Ordinal<M>(name, PropType::Boolean);
  p.setOrdinal = [](TQelElement& e, int64_t v) {
    auto& t = static_cast<TQelText&>(e);
    t.*M = v != 0;
    t.Relayout();
  };
  return p;
}

PropertyInfo TextScaleProp() {
  PropertyInfo p = Float<&TQelText::Scale>("Scale");
  p.setFloat = [](TQelElement& e, double v) {
    auto& t = static_cast<TQelText&>(e);
    t.Scale = v;
    t.Relayout();
  };
  return p;
}

ElementClass TextClass() {
  using T = TQelText;
  return MakeClass("TQelText", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      Ordinal<&T::hxDrawFx>("hxDrawFx", PropType::Cardinal),
      RgbProp<&T::Color1>("hxColor1"), AlphaProp<&T::Color1>("hxTrans1"),
      RgbProp<&T::Color2>("hxColor2"), AlphaProp<&T::Color2>("hxTrans2"), MousedNotVisProp(),
      Event<evVarRS>("exVarRS"), Event<evInit>("exInit"), Event<evAfterLoad>("exAfterLoad"),
      Event<evMouseIn>("exMouseIn"), Event<evMouseOut>("exMouseOut"), Event<evMouseMove>("exMouseMove"),
      Event<evMouseDown>("exMouseDown"), Event<evMouseUp>("exMouseUp"), Event<evUpdate>("exUpdate"),
      Event<evProcess>("exProcess"), MousedVisProp(), NoMsQelDBProp(), OrderProp(), RXProp(), RYProp(),
      SizeXProp(), SizeYProp(), StringVia<&T::Font, &T::SetFont>("Font"),
      PosHorProp<&T::PosHor>(), PosVertProp<&T::PosVert>(), StringVia<&T::TextId, &T::SetTextId>("TextId"),
      RelaidFlag<&T::AutoEnter>("AutoEnter"), RelaidFlag<&T::EnEnter>("EnEnter"),
      RelaidFlag<&T::AutoScale>("AutoScale"), Float<&T::Interval>("Interval"),
      StringVia<&T::Text, &T::SetText>("Text"), TextScaleProp(), TagProp(), NotSaveProp(),
      Ordinal<&T::hxShadColor>("hxShadColor", PropType::Cardinal),
      Ordinal<&T::Emboss>("Emboss", PropType::Boolean), Ordinal<&T::Shadow>("Shadow", PropType::Boolean),
      Ordinal<&T::Uni>("Uni", PropType::Boolean),
  }, Make<T>);
}

ElementClass ImListClass() {
  using L = TQelImList;
  PropertyInfo scrollPos = Named("ScrollPos", PropType::Integer);
  scrollPos.getOrdinal = [](const TQelElement& e) { return int64_t{static_cast<const L&>(e).ScrollPos()}; };
  scrollPos.setOrdinal = [](TQelElement& e, int64_t v) { static_cast<L&>(e).SetScrollPos(static_cast<int32_t>(v)); };
  PropertyInfo elWidth = Named("ElWidth", PropType::Integer);
  elWidth.getOrdinal = [](const TQelElement& e) { return int64_t{static_cast<const L&>(e).ElWidth()}; };
  elWidth.setOrdinal = [](TQelElement&, int64_t) {};
  PropertyInfo elHeight = Named("ElHeight", PropType::Integer);
  elHeight.getOrdinal = [](const TQelElement& e) { return int64_t{static_cast<const L&>(e).ElHeight()}; };
  elHeight.setOrdinal = [](TQelElement&, int64_t) {};
  return MakeClass("TQelImList", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      OrdinalSet<&L::RowCount, &L::SetRowCount>("RowCount", PropType::Integer),
      OrdinalSet<&L::ColCount, &L::SetColCount>("ColCount", PropType::Integer),
      OrdinalSet<&L::Space, &L::SetSpace>("Space", PropType::Integer), scrollPos, SizeXProp(), SizeYProp(), elWidth, elHeight,
      Float<&L::Scale>("Scale"),
      Event<evInit>("exInit"), Event<evAfterLoad>("exAfterLoad"), Event<evUpdate>("exUpdate"),
      Event<evProcess>("exProcess"), OrderProp(), Event<evVarRS>("exVarRS"), TagProp(), NotSaveProp(),
      Event<evMouseIn>("exMouseIn"), Event<evMouseOut>("exMouseOut"), Event<evMouseDown>("exMouseDown"),
  }, Make<L>);
}

ElementClass EffectClass() {
  using E = TQelEffect;
  return MakeClass("TQelEffect", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      StringSet<&E::EffectFN, &E::SetEffectFN>("EffectFN"), Float<&E::DAnim>("DAnim"),
      OrdinalSet<&E::Active, &E::SetActive>("Active", PropType::Boolean),
      Event<evInit>("exInit"), Event<evAfterLoad>("exAfterLoad"), Event<evUpdate>("exUpdate"),
      Event<evProcess>("exProcess"), Ordinal<&E::hxColor>("hxColor", PropType::Cardinal), OrderProp(),
      Event<evVarRS>("exVarRS"), TagProp(), NotSaveProp(), Script<&E::exStart>("exStart"),
  }, Make<E>);
}

ElementClass AnimClass() {
  using A = TQelAnim;
  return MakeClass("TQelAnim", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      PictureProp<&A::Background, &A::SetImBack>("ImBack"), SizeXProp(), SizeYProp(),
      Ordinal<&A::hxDrawFx>("hxDrawFx", PropType::Cardinal), Ordinal<&A::Agro>("Agro", PropType::Integer),
      Ordinal<&A::Modal>("Modal", PropType::Boolean), OrdinalSet<&A::Pos, &A::SetPosition>("Pos", PropType::Integer),
      OrdinalSet<&A::Morph, &A::SetMorph>("Morph", PropType::Boolean), Ordinal<&A::Rep>("Rep", PropType::Boolean),
      Ordinal<&A::ShowAn>("ShowAn", PropType::Boolean), Ordinal<&A::Active>("Active", PropType::Boolean),
      Script<&A::exStop>("exStop"), Script<&A::exStart>("exStart"), Script<&A::exAnim>("exAnim"),
      Event<evInit>("exInit"), Event<evUpdate>("exUpdate"), OrderProp(),
      Float<&A::Angle>("Angle", PropType::Extended), Event<evVarRS>("exVarRS"),
      Ordinal<&A::Interpol>("Interpol", PropType::Boolean), TagProp(), NotSaveProp(), Event<evProcess>("exProcess"),
  }, Make<A>);
}

ElementClass AnKeyClass() {
  using K = TQelAnKey;
  return MakeClass("TQelAnKey", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      OrdinalSet<&K::Count, &K::SetCount>("Count", PropType::Word), Ordinal<&K::Morph>("Morph", PropType::Boolean), NotSaveProp(),
  }, Make<K>);
}

ElementClass ExAnimClass() {
  using X = TQelExAnim;
  return MakeClass("TQelExAnim", {
      KeyProp(), IdProp(), XProp(), YProp(), VisProp(),
      PosHorProp<&X::PosHor>(), PosVertProp<&X::PosVert>(), OrdinalSet<&X::obAnim, &X::SetObAnim>("obAnim", PropType::Integer),
      OrdinalSet<&X::Pos, &X::SetPosition>("Pos", PropType::Integer), Ordinal<&X::Rep>("Rep", PropType::Boolean),
      Ordinal<&X::Active>("Active", PropType::Boolean), Event<evVarRS>("exVarRS"), TagProp(), NotSaveProp(),
  }, Make<X>);
}

ElementClassTable BuildStandardTable() {
  ElementClassTable t;
  for (auto make : {DBClass, ScreenClass, ImageClass, ExScreenClass, AnimClass, AnKeyClass, ExAnimClass,
                    EffectClass, ImListClass, ShapeClass, TextClass})
    t.RegisterElementClass(make());
  static const std::pair<const char*, std::vector<const char*>> kAllowed[] = {
      {"TQelScreen", {"TQelDB"}},
      {"TQelAnim", {"TQelDB", "TQelScreen", "TQelImage", "TQelShape"}},
      {"TQelImage", {"TQelScreen", "TQelImage", "TQelAnKey", "TQelShape"}},
      {"TQelExScreen", {"TQelScreen", "TQelImage", "TQelShape"}},
      {"TQelAnKey", {"TQelAnim"}},
      {"TQelExAnim", {"TQelScreen", "TQelImage", "TQelShape"}},
      {"TQelEffect", {"TQelScreen", "TQelImage", "TQelShape"}},
      {"TQelImList", {"TQelScreen", "TQelImage", "TQelShape"}},
      {"TQelShape", {"TQelScreen", "TQelImage", "TQelShape"}},
      {"TQelText", {"TQelScreen", "TQelImage", "TQelText", "TQelShape"}},
  };
  for (const auto& [child, parents] : kAllowed)
    for (const char* parent : parents) t.AllowChild(parent, child);
  return t;
}

}  // namespace

const ElementClassTable& ElementClassTable::Standard() {
  static const ElementClassTable table = BuildStandardTable();
  return table;
}

}  // namespace qel
