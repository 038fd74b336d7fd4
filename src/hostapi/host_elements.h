#pragma once
// Host functions that act on elements: their events, placement, focus,
// picture pixels and language texts.
#include "base/var_list.h"

namespace qel {

class TScriptCalc;

bool HostUpdate(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostProcess(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostMsDown(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostMsMove(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostInit(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostShow(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostSetFocus(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostGetAlpha(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostGetPixel(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostMoveTo(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostGetText(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostToFront(TScriptCalc& calc, TVarList& p, TVar& r);

}  // namespace qel
