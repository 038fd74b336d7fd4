// Times each benchmark program in the script language against the same
// program in Lua 5.4 (the peer), in the same run, and prints the ratio.
// Script variables are looked up by name at run time, so the Lua programs
// use globals, the equivalent in Lua.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "script/scriptcalc.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// Best of a few runs, to keep scheduler noise out.
template <typename F>
double Best(F run) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) best = std::min(best, run());
  return best;
}

double TimeScript(const std::string& source, bool& ok) {
  return Best([&] {
    auto t0 = Clock::now();
    qel::TScriptCalc calc;
    auto program = calc.Prepare(source);
    ok = calc.ErrorCode() == 0 && calc.Run(program);
    if (!ok) std::fprintf(stderr, "script error: %s\n", calc.ErrorMessage().c_str());
    return Seconds(t0, Clock::now());
  });
}

double TimeLua(const std::string& lua, const std::string& file, bool& ok) {
  std::string cmd = lua + " " + file;
  return Best([&] {
    auto t0 = Clock::now();
    ok = std::system(cmd.c_str()) == 0;
    return Seconds(t0, Clock::now());
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::string lua = argc > 1 ? argv[1] : "/usr/bin/lua5.4";
  const char* programs[] = {"int_loop", "float_math", "strings", "arrays", "fib", "case_dispatch"};
  std::printf("%-14s %10s %10s %8s\n", "program", "qel ms", "lua ms", "ratio");
  int status = 0;
  for (const char* name : programs) {
    std::string base = std::string(QEL_BENCH_PROGRAMS) + "/" + name;
    bool okScript = false, okLua = false;
    double ours = TimeScript(ReadAll(base + ".qs"), okScript);
    double peer = TimeLua(lua, base + ".lua", okLua);
    if (!okScript || !okLua) status = 1;
    std::printf("%-14s %10.1f %10.1f %8.2f\n", name, ours * 1000, peer * 1000, ours / peer);
  }
  return status;
}
