// Library-heavy script programs against their Lua 5.4 counterparts: every
// bench/script/stdlib/NAME.qs runs in our interpreter and NAME.lua in
// lua5.4, best of three runs each, in the same run of this program; the
// ratio is our time over Lua's (goal: at most 3).
#include <algorithm>
#include <chrono>
#include <cstdio>
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
constexpr int kRuns = 3;

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Seconds of the best run, or a negative value when the script fails.
double TimeScript(const fs::path& program) {
  qel::FixedClock clock(qel::EncodeDate(2024, 3, 5));
  qel::LocaleSettings locale;
  qel::TScriptCalc calc;
  qel::RegisterHostFunctions(calc, qel::HostServices{&clock, &locale});
  qel::RegisterGameFunctions(calc);
  qel::ProgramRef prepared = calc.Prepare(ReadAll(program));
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    calc.ClearVariables();
    const auto start = std::chrono::steady_clock::now();
    if (!calc.Run(prepared)) {
      std::fprintf(stderr, "%s: %s\n", program.filename().c_str(), calc.ErrorMessage().c_str());
      return -1;
    }
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// The Lua program times itself, so interpreter start-up is not counted.
double TimeLua(const fs::path& program) {
  const std::string command = "lua5.4 -e \"local f = assert(loadfile('" + program.string() +
                              "')) local best = 1e9 for r = 1, " + std::to_string(kRuns) +
                              " do local t = os.clock() f() best = math.min(best, os.clock() - t) end "
                              "io.write(string.format('%.6f', best))\" 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  double seconds = -1;
  if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
  pclose(pipe);
  return seconds;
}

}  // namespace

int main() {
  std::vector<fs::path> programs;
  for (const auto& e : fs::directory_iterator(QEL_STDLIB_PROGRAMS))
    if (e.path().extension() == ".qs") programs.push_back(e.path());
  std::sort(programs.begin(), programs.end());
  std::printf("%-12s %10s %10s %8s\n", "program", "qel ms", "lua ms", "ratio");
  int failures = 0;
  for (const fs::path& qs : programs) {
    fs::path lua = qs;
    lua.replace_extension(".lua");
    const double ours = TimeScript(qs);
    const double peer = TimeLua(lua);
    if (ours < 0 || peer <= 0) {
      std::printf("%-12s %10s\n", qs.stem().c_str(), ours < 0 ? "failed" : "lua5.4 unavailable");
      ++failures;
      continue;
    }
    std::printf("%-12s %10.2f %10.2f %8.2f\n", qs.stem().c_str(), ours * 1e3, peer * 1e3, ours / peer);
  }
  return failures == 0 ? 0 : 1;
}
