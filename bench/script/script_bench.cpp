// Times every script program in programs/ (the engine's own work) and
// stdlib/ (library-heavy loops) against its Lua 5.4 counterparts, in the same
// run, and prints our time, Lua's times and the ratios. Each program has two
// Lua forms: NAME.lua keeps its variables in globals, as the script language
// does; NAME.local.lua is written as a Lua programmer writes it, with locals.
// Goal: every ratio against the locals form at most 3, their geometric mean
// at most 2.
//
//   bench_script [--lua PATH] [--runs N] [--no-lua] [NAME ...]
//
// NAME filters by program name (e.g. fib, stdlib/format). Both sides are
// timed in process CPU time, best of N runs of an already loaded program:
// the interpreter is made and the source prepared once, as Lua's loadfile
// is outside its timing. Every interpreter has the whole host-function table
// with a fixed clock, as the pool gives it. Programs that reach elements run
// inside a small game (a room with a door), from the room's point of view.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <cmath>

#include "elements/qel_db.h"
#include "hostapi/date_time.h"
#include "hostapi/host_table.h"
#include "script/interpreter_pool.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  std::string lua = "/usr/bin/lua5.4";
  int runs = 3;
  bool withLua = true;
  std::vector<std::string> only;
};

struct Entry {
  std::string name;  // as printed and filtered, e.g. "stdlib/format"
  fs::path script;
  bool inGame = false;
};

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Seconds of the best run, or a negative value when the script fails.
double TimeScript(const Entry& entry, int runs) {
  const fs::path& program = entry.script;
  qel::FixedClock clock(qel::EncodeDate(2024, 3, 5));
  qel::LocaleSettings locale;
  qel::HostServices services{&clock, &locale};
  qel::Runtime runtime;
  qel::TQelDB root(&runtime);
  qel::TQelElement* room = root.CreateChild("TQelScreen");
  room->SetId("Room");
  room->CreateChild("TQelImage")->SetId("Door");
  qel::InterpreterPool pool(runtime, root, [&services](qel::TScriptCalc& calc) {
    qel::RegisterHostFunctions(calc, services);
    qel::RegisterGameFunctions(calc);
  });
  runtime.script.CurrentElement = entry.inGame ? room->Handle() : 0;
  qel::TScriptCalc& calc = pool.At(0);
  if (!entry.inGame) calc.SetEnv(nullptr);
  qel::ProgramRef prepared = calc.Prepare(ReadAll(program));
  if (calc.ErrorCode() != 0) {
    std::fprintf(stderr, "%s: %s\n", program.filename().c_str(), calc.ErrorMessage().c_str());
    return -1;
  }
  double best = 1e9;
  for (int run = 0; run < runs; ++run) {
    calc.ClearVariables();
    const double start = CpuSeconds();
    if (!calc.Run(prepared)) {
      std::fprintf(stderr, "%s: %s\n", program.filename().c_str(), calc.ErrorMessage().c_str());
      return -1;
    }
    best = std::min(best, CpuSeconds() - start);
  }
  return best;
}

// The Lua program times itself with os.clock (process CPU time), so
// interpreter start-up and loading are not counted.
double TimeLua(const std::string& lua, const fs::path& program, int runs) {
  const std::string command = lua + " -e \"local f = assert(loadfile('" + program.string() +
                              "')) local best = 1e9 for r = 1, " + std::to_string(runs) +
                              " do local t = os.clock() f() best = math.min(best, os.clock() - t) end "
                              "io.write(string.format('%.6f', best))\" 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  double seconds = -1;
  if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
  pclose(pipe);
  return seconds;
}

// programs/ first, in a fixed order of growing complexity, then stdlib/.
std::vector<Entry> Programs() {
  std::vector<Entry> list;
  for (const char* name : {"int_loop", "bitwise", "float_math", "float_loop", "strings", "arrays", "array_read",
                           "nested_loop", "fib", "case_dispatch", "element_paths"})
    list.push_back({name, fs::path(QEL_BENCH_PROGRAMS) / (std::string(name) + ".qs"),
                    std::string(name) == "element_paths"});
  std::vector<fs::path> library;
  for (const auto& e : fs::directory_iterator(QEL_BENCH_STDLIB))
    if (e.path().extension() == ".qs") library.push_back(e.path());
  std::sort(library.begin(), library.end());
  for (const fs::path& p : library) list.push_back({"stdlib/" + p.stem().string(), p, false});
  return list;
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--lua" && i + 1 < argc) {
      o.lua = argv[++i];
    } else if (a == "--runs" && i + 1 < argc) {
      o.runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--no-lua") {
      o.withLua = false;
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "usage: bench_script [--lua PATH] [--runs N] [--no-lua] [NAME ...]\n");
      return false;
    } else {
      o.only.push_back(a);
    }
  }
  return true;
}

bool Selected(const Options& o, const std::string& name) {
  return o.only.empty() || std::find(o.only.begin(), o.only.end(), name) != o.only.end();
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) return 2;
  std::printf("%-20s %9s %12s %7s %12s %7s\n", "program", "qel ms", "lua glob ms", "ratio", "lua local ms",
              "ratio");
  int failures = 0;
  double logGlobals = 0, logLocals = 0;
  int measured = 0;
  for (const Entry& e : Programs()) {
    if (!Selected(o, e.name)) continue;
    const double ours = TimeScript(e, o.runs);
    if (ours < 0) {
      std::printf("%-20s %9s\n", e.name.c_str(), "failed");
      ++failures;
      continue;
    }
    if (!o.withLua) {
      std::printf("%-20s %9.1f\n", e.name.c_str(), ours * 1e3);
      continue;
    }
    fs::path globals = e.script, locals = e.script;
    globals.replace_extension(".lua");
    locals.replace_extension(".local.lua");
    const double peerGlobals = TimeLua(o.lua, globals, o.runs);
    const double peerLocals = TimeLua(o.lua, locals, o.runs);
    if (peerGlobals <= 0 || peerLocals <= 0) {
      std::printf("%-20s %9.1f %12s\n", e.name.c_str(), ours * 1e3, "no lua");
      ++failures;
      continue;
    }
    std::printf("%-20s %9.1f %12.1f %7.2f %12.1f %7.2f\n", e.name.c_str(), ours * 1e3, peerGlobals * 1e3,
                ours / peerGlobals, peerLocals * 1e3, ours / peerLocals);
    logGlobals += std::log(ours / peerGlobals);
    logLocals += std::log(ours / peerLocals);
    ++measured;
  }
  if (measured > 0)
    std::printf("%-20s %9s %12s %7.2f %12s %7.2f\n", "geometric mean", "", "", std::exp(logGlobals / measured), "",
                std::exp(logLocals / measured));
  return failures == 0 ? 0 : 1;
}
