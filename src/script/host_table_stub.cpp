// Stands in for the host-function table in builds without it: no functions.
#include "hostapi/host_table.h"

namespace qel {

void RegisterHostFunctions(TScriptCalc&) {}

}  // namespace qel
