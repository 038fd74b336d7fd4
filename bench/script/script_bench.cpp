// Times every script program in programs/ (the engine's own work) and
// stdlib/ (library-heavy loops) against its Lua 5.4 counterpart, in the same
// run, and prints our time, Lua's time and the ratio (goal: at most 3).
//
//   bench_script [--lua PATH] [--runs N] [--no-lua] [NAME ...]
//
// NAME filters by program name (e.g. fib, stdlib/format). Both sides are
// timed in process CPU time, best of N runs of an already loaded program:
// the interpreter is made and the source prepared once, as Lua's loadfile
// is outside its timing. Every interpreter has the whole host-function table
// with a fixed clock, as the pool gives it. Script variables are looked up by
// name at run time, so the Lua programs use globals, the equivalent in Lua.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hostapi/date_time.h"
#include "hostapi/host_table.h"
#include "script/scriptcalc.h"

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
double TimeScript(const fs::path& program, int runs) {
  qel::FixedClock clock(qel::EncodeDate(2024, 3, 5));
  qel::LocaleSettings locale;
  qel::TScriptCalc calc;
  qel::RegisterHostFunctions(calc, qel::HostServices{&clock, &locale});
  qel::RegisterGameFunctions(calc);
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
  for (const char* name : {"int_loop", "float_math", "strings", "arrays", "fib", "case_dispatch"})
    list.push_back({name, fs::path(QEL_BENCH_PROGRAMS) / (std::string(name) + ".qs")});
  std::vector<fs::path> library;
  for (const auto& e : fs::directory_iterator(QEL_BENCH_STDLIB))
    if (e.path().extension() == ".qs") library.push_back(e.path());
  std::sort(library.begin(), library.end());
  for (const fs::path& p : library) list.push_back({"stdlib/" + p.stem().string(), p});
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
  std::printf("%-16s %10s %10s %8s\n", "program", "qel ms", "lua ms", "ratio");
  int failures = 0;
  for (const Entry& e : Programs()) {
    if (!Selected(o, e.name)) continue;
    const double ours = TimeScript(e.script, o.runs);
    if (ours < 0) {
      std::printf("%-16s %10s\n", e.name.c_str(), "failed");
      ++failures;
      continue;
    }
    if (!o.withLua) {
      std::printf("%-16s %10.1f\n", e.name.c_str(), ours * 1e3);
      continue;
    }
    fs::path lua = e.script;
    lua.replace_extension(".lua");
    const double peer = TimeLua(o.lua, lua, o.runs);
    if (peer <= 0) {
      std::printf("%-16s %10.1f %10s\n", e.name.c_str(), ours * 1e3, "no lua");
      ++failures;
      continue;
    }
    std::printf("%-16s %10.1f %10.1f %8.2f\n", e.name.c_str(), ours * 1e3, peer * 1e3, ours / peer);
  }
  return failures == 0 ? 0 : 1;
}
