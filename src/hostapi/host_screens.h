#pragma once
// Screen switching: the host functions SetScreen, FastSetScreen,
// FastSetScreenNS, LoadIm and EndLoadIm, and the steps the player shares
// with them.
#include "script/script_func.h"

namespace qel {

class TQelDB;
class TQelElement;

bool HostSetScreen(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostFastSetScreen(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostFastSetScreenNS(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostLoadIm(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostEndLoadIm(TScriptCalc& calc, TVarList& p, TVar& r);

// The root's loading screen, or nil. The root itself (key 0 when the game
// names no loading screen) never counts as one.
TQelElement* FindLoadingScreen(TQelDB& root);

}  // namespace qel
