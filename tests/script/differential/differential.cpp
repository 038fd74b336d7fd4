#include "differential/differential.h"

#include "differential/tree_functions.h"
#include "elements/qel_db.h"
#include "elements/state_stream.h"
#include "hostapi/host_table.h"
#include "script/interpreter_pool.h"
#include "script/string_limit.h"
#include "script/var_dump.h"

namespace qel {

struct DifferentialRunner::Shared {
  FixedClock clock{45356.5};
  HostServices services{&clock, DefaultHostServices().locale};
};

DifferentialRunner::DifferentialRunner(uint64_t budget) : shared_(std::make_unique<Shared>()), budget_(budget) {}
DifferentialRunner::~DifferentialRunner() = default;

ScriptOutcome DifferentialRunner::Run(const std::string& source, bool fastPaths) {
  // A low string limit, so that strings doubled in loops reach it.
  struct LowLimit {
    LowLimit() { SetScriptStringLimit(kStringLimit); }
    ~LowLimit() { SetScriptStringLimit(0); }
  } limit;
  Runtime runtime;
  TQelDB root(&runtime);
  root.SetId("Game");
  TQelElement* room = root.CreateChild("TQelScreen");
  room->SetId("Room");
  TQelElement* door = room->CreateChild("TQelImage");
  door->SetId("Door");
  TQelElement* knob = door->CreateChild("TQelImage");
  knob->SetId("Knob");
  const HostServices& services = shared_->services;
  InterpreterPool pool(runtime, root, [&services, &runtime](TScriptCalc& calc) {
    RegisterHostFunctions(calc, services);
    RegisterGameFunctions(calc);
    RegisterTreeFunctions(calc, runtime);
  });
  pool.SetStepBudget(budget_);
  pool.SetFastPaths(fastPaths);
  runtime.script.RandSeed = 12345;
  runtime.script.CurrentElement = door->Handle();

  TScriptCalc& calc = pool.At(0);
  ProgramRef program = calc.Prepare(source);
  if (calc.ErrorCode() == 0) calc.Run(program);
  ScriptOutcome out;
  out.state = DumpState(calc, [&](uint32_t h) -> ByteString {
    TQelElement* e = runtime.Resolve(h);
    return e ? e->Description() : ByteString();
  });
  // Both ways must also count the same steps, so that a budget runs out at
  // the same statement whatever it is.
  out.state += "steps " + std::to_string(calc.StepsTaken()) + "\n";
  SaveState(root, out.tree);
  return out;
}

std::string DifferentialRunner::Compare(const std::string& source) {
  ScriptOutcome fast = Run(source, true);
  ScriptOutcome general = Run(source, false);
  if (fast == general) return {};
  std::string report = "--- with fast paths\n" + fast.state + "--- general way only\n" + general.state;
  if (fast.tree != general.tree) report += "--- and the game's saved state differs\n";
  return report;
}

}  // namespace qel
