#pragma once
// Host functions that only tests have: they change the shape of the small
// game while a script runs (make and destroy elements, give elements
// variables, run on as another element), so that random programs can do to
// the tree what the game file, the state stream and nested events do.
namespace qel {

class Runtime;
class TScriptCalc;

//   TREEMAKE(parent, id)      a new image under parent, its reference (nil when not allowed)
//   TREEDROP(element)         destroys it with its subtree (never the root)
//   TREEVAR(element, name, v) sets or adds an element variable
//   TREEUNVAR(element, name)  removes one
//   TREEENTER(element)        the script goes on as that element's
// Element arguments are references; with anything else a call does nothing.
void RegisterTreeFunctions(TScriptCalc& calc, Runtime& runtime);

}  // namespace qel
