#pragma once
// Host functions for image lists, animations and particle effects.
#include "script/script_func.h"

namespace qel {

bool HostListAdd(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostListDel(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostAnimStart(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostAnimStop(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostAnimBreak(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostAnimPlay(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostProcEf(TScriptCalc& calc, TVarList& p, TVar& r);

}  // namespace qel
