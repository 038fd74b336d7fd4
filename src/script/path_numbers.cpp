// Element properties in plain-number arithmetic: a name that is no variable
// and whose path is remembered reads and writes its property without a walk
// and without the general evaluation, as the name of a variable would.
#include "script/machine.h"

namespace qel {

bool Machine::PathNum(const ExprNode& n, Num& v) {
  ScriptEnv* env = calc_.env();
  PathSite* site = n.path.peek();
  return env && site && fast_ && env->ReadRememberedNum(*site, calc_.vars_, v);
}

bool Machine::PathInPlace(const Stmt& s, const Num& v) {
  ScriptEnv* env = calc_.env();
  PathSite* site = s.path.peek();
  return env && site && fast_ && s.targetValid && env->WriteRememberedNum(*site, calc_.vars_, v);
}

}  // namespace qel
