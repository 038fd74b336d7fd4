// The variable store: script variables first, then the element tree.
#include "script/machine.h"

namespace qel {

namespace {

ByteString Where(const TScriptCalc& calc) {
  ScriptEnv* env = calc.env();
  return env ? " (in " + env->Place() + " " + env->EventName() : ByteString(" (in  ");
}

constexpr int32_t kCachedIndices = 1 << 20;

}  // namespace

int Machine::CachedSlot(const ByteString& base, int32_t k, ArraySites& cache) const {
  const TVarList& vars = calc_.vars_;
  if (!fast_ || k < 0) return -1;
  if (static_cast<size_t>(k) >= cache.slots.size()) return -1;
  // c.hit holds the epoch at which the element was found: while no record
  // is removed, appends move none.
  ElementCache& c = cache.slots[k];
  if (c.hit == vars.epoch()) return c.slot;
  if (c.slot < 0 || c.slot >= vars.Count() || !IsElementName(vars[c.slot].Name, base, k)) return -1;
  c.hit = vars.epoch();
  return c.slot;
}

int Machine::ArraySlot(const ByteString& base, int32_t k, ArraySites& cache, ByteString& name) {
  if (int s = CachedElement(base, k, cache); s >= 0) return s;
  const TVarList& vars = calc_.vars_;
  const bool inRun = fast_ && cache.epoch == vars.epoch() && cache.lo <= cache.hi;
  if (inRun && k == cache.hi + 1) {
    // Arrays are mostly filled in order: NAME[k] tends to sit right after
    // NAME[k-1], and a first pass over one then needs no search.
    int64_t s = cache.offset + k;
    if (s < vars.Count() && IsElementName(vars[static_cast<int>(s)].Name, base, k)) {
      cache.hi = k;
      return static_cast<int>(s);
    }
  }
  int s = vars.IndexOfElement(base, k, name);
  if (!fast_ || s < 0 || k < 0) return s;
  if (!inRun) {
    cache.epoch = vars.epoch();
    cache.lo = cache.hi = k;
    cache.offset = static_cast<int64_t>(s) - k;
  } else if (k < kCachedIndices) {
    if (cache.slots.size() <= static_cast<size_t>(k)) cache.slots.resize(static_cast<size_t>(k) + 1);
    cache.slots[k] = ElementCache{s, vars.epoch()};
  }
  return s;
}

int Machine::FindSlot(const ByteString& name, int& cache) const {
  const TVarList& vars = calc_.vars_;
  if (fast_ && cache >= 0 && cache < vars.Count() && SameName(vars[cache].Name, name)) return cache;
  cache = vars.IndexOf(name);
  return cache;
}

int Machine::Refind(const ByteString& name, NameCache& cache) const {
  const TVarList& vars = calc_.vars_;
  const int count = vars.Count();
  int i = cache.slot;
  if (i < 0 || i >= count || !SameName(vars[i].Name, name)) {
    // Absent before and only a few records appended since: look at those.
    constexpr int kScan = 16;
    if (cache.missEpoch == vars.epoch() && cache.missCount <= count && count - cache.missCount <= kScan) {
      i = -1;
      for (int k = cache.missCount; k < count; ++k)
        if (SameName(vars[k].Name, name)) {
          i = k;
          break;
        }
    } else {
      i = vars.IndexOf(name);
    }
  }
  if (i >= 0) {
    cache.slot = i;
    cache.hit = vars.stamp();
    cache.hitEpoch = vars.epoch();
  } else {
    cache.miss = vars.stamp();
    cache.missEpoch = vars.epoch();
    cache.missCount = count;
  }
  return i;
}

bool Machine::Lookup(const ByteString& name, int& cache, Variant& out) {
  int i = FindSlot(name, cache);
  if (i < 0) return LookupAbsent(name, out);
  out = calc_.vars_[i].Value;
  return true;
}

bool Machine::Lookup(const ByteString& name, NameCache& cache, Variant& out, PathSiteSlot* site) {
  int i = FindSlot(name, cache);
  if (i < 0) return LookupAbsent(name, out, site);
  out = calc_.vars_[i].Value;
  return true;
}

bool Machine::LookupAbsent(const ByteString& name, Variant& out, PathSiteSlot* site) {
  ScriptEnv* env = calc_.env();
  PathRead r;
  if (env && site && fast_) r = env->ResolvePathAt(name, calc_.vars_, out, site->get());
  else if (env) r = env->ResolvePath(name, calc_.vars_, out);
  else r = name.find('.') == ByteString::npos ? PathRead::NotVarNil : PathRead::Failed;
  switch (r) {
    case PathRead::Found: return true;
    case PathRead::NotVar:
    case PathRead::NotVarNil:
      out = Variant::Byte(0);
      calc_.LogLine((r == PathRead::NotVar ? "Not var " : "Not var NIL ") + name + Where(calc_));
      return true;
    case PathRead::Failed: break;
  }
  return false;
}

bool Machine::Store(const ByteString& name, const Variant& value, int& cache) {
  int i = FindSlot(name, cache);
  if (i >= 0) {
    WriteSlot(i, value);
    return true;
  }
  return Create(name, value, cache);
}

bool Machine::Store(const ByteString& name, Variant&& value, NameCache& cache, PathSiteSlot* site) {
  int i = FindSlot(name, cache);
  if (i >= 0) {
    WriteSlot(i, std::move(value));
    return true;
  }
  int slot = -1;
  return Create(name, value, slot, false, site);
}

bool Machine::Create(const ByteString& name, const Variant& value, int& slot, bool checked, PathSiteSlot* site) {
  ScriptEnv* env = calc_.env();
  // A plain name the running element does not take goes straight to the
  // list: new variables and array elements skip the walk.
  if (env && fast_ && !HasDot(name) && !env->MayTake(name)) env = nullptr;
  if (env && (site && fast_ ? env->AssignPathAt(name, value, calc_.vars_, site->get())
                            : env->AssignPath(name, value, calc_.vars_)))
    return true;
  if (!checked && !IsValidName(name)) return false;
  if (HasDot(name)) calc_.LogLine("Add var " + name + Where(calc_));
  AppendVar(name, value);
  slot = calc_.vars_.Count() - 1;
  return true;
}

}  // namespace qel
