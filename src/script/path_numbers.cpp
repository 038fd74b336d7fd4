// Element properties in plain-number arithmetic: a name that is no variable
// and whose path is remembered reads and writes its property without a walk
// and without the general evaluation, as the name of a variable would.
#include "script/machine.h"
#include "script/path_check.h"

namespace qel {

// The site is checked here, without a call, where the environment lets it
// be; what is not a plain number property is left to the environment.
bool Machine::PathNum(const ExprNode& n, Num& v) {
  ScriptEnv* env = calc_.env();
  PathSite* site = n.path.peek();
  if (!env || !site || !fast_) return false;
  const PathWatch* watch = env->watch();
  if (!watch) return env->ReadRememberedNum(*site, calc_.vars_, v);
  const TQelElement* e = RememberedTarget(*site, *watch, calc_.vars_);
  return e && RememberedNum(*site, *e, v);
}

bool Machine::PathInPlace(const Stmt& s, const Num& v) {
  ScriptEnv* env = calc_.env();
  PathSite* site = s.path.peek();
  if (!env || !site || !fast_ || !s.targetValid) return false;
  if (const PathWatch* watch = env->watch()) {
    TQelElement* e = RememberedTarget(*site, *watch, calc_.vars_);
    if (!e) return false;
    if (WriteNumberTo(*site, *e, v)) return true;
  }
  return env->WriteRememberedNum(*site, calc_.vars_, v);
}

}  // namespace qel
