#include "hostapi/host_screens.h"

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "gamedb/image_cache.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

TQelDB* RootOf(TScriptCalc& calc) {
  ScriptEnv* env = calc.env();
  return env ? dynamic_cast<TQelDB*>(env->RootElement()) : nullptr;
}

TQelElement* ElementArg(Runtime& rt, const TVar& arg) {
  return arg.Value.IsReference() ? rt.Resolve(arg.Value.handle()) : nullptr;
}

void ResetFrameTimer(TQelDB& root) {
  if (root.hooks.resetClock) root.hooks.resetClock();
}

void ResetImageRequests(Runtime& rt) {
  if (rt.services.images) rt.services.images->ResetImageRequests();
}

// The checks every switch function makes: a root, and a screen first.
TQelScreen* TargetScreen(TScriptCalc& calc, TVarList& p, TQelDB*& root) {
  root = RootOf(calc);
  Runtime* rt = calc.runtime();
  if (!root || !rt || p.Count() < 1) return nullptr;
  return dynamic_cast<TQelScreen*>(ElementArg(*rt, p[0]));
}

// FastSetScreen and FastSetScreenNS up to the point where they differ.
TQelScreen* FastSwitch(TScriptCalc& calc, TVarList& p, TQelDB*& root) {
  TQelScreen* screen = TargetScreen(calc, p, root);
  if (!screen) return nullptr;
  Runtime& rt = root->runtime();
  rt.shell.CurrentScreen = screen->Handle();
  root->Stars().Clear();
  screen->LoadRes();
  for (int i = 1; i < p.Count(); ++i)
    if (TQelElement* extra = ElementArg(rt, p[i])) extra->LoadRes();
  rt.shell.FocusedText = 0;
  return screen;
}

}  // namespace

TQelElement* FindLoadingScreen(TQelDB& root) {
  TQelElement* found = root.FindByKey(root.LoadingScreen);
  return found == &root ? nullptr : found;
}

bool HostSetScreen(TScriptCalc& calc, TVarList& p, TVar&) {
  TQelDB* root = nullptr;
  TQelScreen* screen = TargetScreen(calc, p, root);
  if (!screen) return true;
  Runtime& rt = root->runtime();
  ShellState& shell = rt.shell;
  root->Stars().Clear();
  shell.FocusedText = 0;
  shell.ImagesForLoadCount = 0;
  shell.ImagesForLoadPos = 0;
  shell.LoadingMode = true;
  ResetImageRequests(rt);
  root->ClearLoaded();
  root->LoadKeptScreens();
  shell.ImmediateImageLoad = false;
  shell.PendingScreen = screen->Handle();
  screen->KeepLoaded = true;
  screen->LoadRes();
  if (TQelElement* loading = FindLoadingScreen(*root)) loading->ReInit();
  for (int i = 1; i < p.Count(); ++i) {
    if (TQelElement* extra = ElementArg(rt, p[i])) {
      extra->KeepLoaded = true;
      extra->LoadRes();
    }
  }
  shell.ImmediateImageLoad = true;
  ResetFrameTimer(*root);
  return true;
}

bool HostFastSetScreen(TScriptCalc& calc, TVarList& p, TVar&) {
  TQelDB* root = nullptr;
  TQelScreen* screen = FastSwitch(calc, p, root);
  if (!screen) return true;
  const ElementRef handle = screen->Handle();
  root->runtime().script.EventName = "SetScreen";
  root->RunScript(root->exSetScreen.prepared, root->Vars.get());
  // The script may have destroyed the screen.
  if (TQelElement* shown = root->runtime().Resolve(handle)) shown->Show();
  ResetFrameTimer(*root);
  return true;
}

bool HostFastSetScreenNS(TScriptCalc& calc, TVarList& p, TVar&) {
  TQelDB* root = nullptr;
  if (FastSwitch(calc, p, root)) ResetFrameTimer(*root);
  return true;
}

bool HostLoadIm(TScriptCalc& calc, TVarList&, TVar&) {
  if (TQelDB* root = RootOf(calc)) root->FinishScreenSwitch();
  return true;
}

bool HostEndLoadIm(TScriptCalc& calc, TVarList&, TVar&) {
  if (Runtime* rt = calc.runtime()) rt->shell.LoadingMode = false;
  return true;
}

}  // namespace qel
