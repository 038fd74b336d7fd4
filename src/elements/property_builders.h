#pragma once
// Builders for property descriptors: from a data member, from a pair of
// member functions, or for an event script. Internal to the element model.
#include "elements/property.h"

namespace qel::props {

template <class> struct MemberOf;
template <class C, class F> struct MemberOf<F C::*> {
  using Class = C;
  using Field = F;
};
template <class C, class R> struct MemberOf<R (C::*)() const> {
  using Class = C;
  using Result = R;
};

inline PropertyInfo Named(const char* name, PropType type) {
  PropertyInfo p;
  p.name = name;
  p.upperName = UpperAscii(name);
  p.type = type;
  return p;
}

// A plain data member published as an ordinal (integer, Boolean, enumeration, ...).
template <auto M>
PropertyInfo Ordinal(const char* name, PropType type) {
  using C = typename MemberOf<decltype(M)>::Class;
  using F = typename MemberOf<decltype(M)>::Field;
  PropertyInfo p = Named(name, type);
  p.getOrdinal = [](const TQelElement& e) { return static_cast<int64_t>(static_cast<const C&>(e).*M); };
  p.setOrdinal = [](TQelElement& e, int64_t v) {
    if constexpr (std::is_same_v<F, bool>)
      static_cast<C&>(e).*M = v != 0;
    else
      static_cast<C&>(e).*M = static_cast<F>(v);
  };
  return p;
}

template <auto M>
PropertyInfo Float(const char* name, PropType type = PropType::Double) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = Named(name, type);
  p.getFloat = [](const TQelElement& e) { return static_cast<double>(static_cast<const C&>(e).*M); };
  p.setFloat = [](TQelElement& e, double v) { static_cast<C&>(e).*M = v; };
  return p;
}

template <auto M>
PropertyInfo String(const char* name) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = Named(name, PropType::String);
  p.getString = [](const TQelElement& e) { return ByteString(static_cast<const C&>(e).*M); };
  p.setString = [](TQelElement& e, std::string_view v) { (static_cast<C&>(e).*M).assign(v); };
  return p;
}

// A data member read directly and written through a member function of its
// kind, for properties whose setters do more than store.
template <auto M, auto Set>
PropertyInfo OrdinalSet(const char* name, PropType type) {
  using C = typename MemberOf<decltype(M)>::Class;
  using F = typename MemberOf<decltype(M)>::Field;
  PropertyInfo p = Named(name, type);
  p.getOrdinal = [](const TQelElement& e) { return static_cast<int64_t>(static_cast<const C&>(e).*M); };
  p.setOrdinal = [](TQelElement& e, int64_t v) {
    if constexpr (std::is_same_v<F, bool>)
      (static_cast<C&>(e).*Set)(v != 0);
    else
      (static_cast<C&>(e).*Set)(static_cast<F>(v));
  };
  return p;
}

template <auto M, auto Set>
PropertyInfo StringSet(const char* name) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = Named(name, PropType::String);
  p.getString = [](const TQelElement& e) { return ByteString(static_cast<const C&>(e).*M); };
  p.setString = [](TQelElement& e, std::string_view v) { (static_cast<C&>(e).*Set)(ByteString(v)); };
  return p;
}

// An event-script member of a kind (an EventScript field).
template <auto M>
PropertyInfo Script(const char* name) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = Named(name, PropType::String);
  p.getString = [](const TQelElement& e) { return (static_cast<const C&>(e).*M).source; };
  p.setString = [](TQelElement& e, std::string_view v) { e.SetScript(static_cast<C&>(e).*M, v); };
  return p;
}

// A published string whose writes go through a member function of the kind.
template <auto M, auto Set>
PropertyInfo StringVia(const char* name) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = String<M>(name);
  p.setString = [](TQelElement& e, std::string_view v) { (static_cast<C&>(e).*Set)(v); };
  return p;
}

// A published integer whose writes go through a member function of the kind.
template <auto M, auto Set>
PropertyInfo OrdinalVia(const char* name, PropType type) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = Ordinal<M>(name, type);
  p.setOrdinal = [](TQelElement& e, int64_t v) { (static_cast<C&>(e).*Set)(static_cast<int32_t>(v)); };
  return p;
}

// A picture name: reads give the cache entry's name, writes fetch the entry.
template <auto M, auto Set>
PropertyInfo PictureProp(const char* name) {
  using C = typename MemberOf<decltype(M)>::Class;
  PropertyInfo p = Named(name, PropType::String);
  p.getString = [](const TQelElement& e) { return (static_cast<const C&>(e).*M).Name(); };
  p.setString = [](TQelElement& e, std::string_view v) { (static_cast<C&>(e).*Set)(v); };
  return p;
}

}  // namespace qel::props
