#pragma once
// Host functions of the game's state, settings, files, sound, ending and
// stars. Each reaches the game through the interpreter's root element and
// does nothing (successfully) when the interpreter runs without a game.
#include "script/script_func.h"

namespace qel {

bool HostSaveState(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostLoadState(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostTimerReset(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostGetIni(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostSetIni(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostDelFile(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostPlaySnd(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostPlayMuz(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostStopMuz(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostExitGame(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostAddStar(TScriptCalc& calc, TVarList& p, TVar& r);
bool HostImStarsR(TScriptCalc& calc, TVarList& p, TVar& r);

// Settings values of unicode games: the escaped text of a script turned
// into the "#$#$" form written to the file (hexadecimal pairs of its UTF-8
// bytes, at most 1999 bytes), and a value read back into escaped text.
ByteString HexSettingFromEscaped(const ByteString& escaped);
ByteString EscapedFromSetting(const std::u16string& stored);

}  // namespace qel
