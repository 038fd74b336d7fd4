// Prepares every event script of the demo game (demo/demo.qelt) with an
// interpreter that has the whole host-function table, as the game's
// preparing interpreter does while a game file loads, and prints the time
// per pass over all scripts and its ratio against tokenizing them alone
// (the part of preparing that compiling does not touch), so that figures
// taken on a busy machine stay comparable. Preparing text that is already
// tokenized times the rest of preparing (declarations and compiling) alone.
//
//   bench_script_prepare [--runs N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "elements/qel_db.h"
#include "hostapi/date_time.h"
#include "hostapi/host_table.h"
#include "script/interpreter_pool.h"
#include "script/tokens.h"

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The script blocks of the game text: the lines between "<<<" and ">>>",
// joined with CR LF as the packer joins them.
std::vector<qel::ByteString> DemoScripts(const std::string& path) {
  std::ifstream f(path);
  std::vector<qel::ByteString> scripts;
  std::string line;
  bool in = false;
  qel::ByteString current;
  while (std::getline(f, line)) {
    if (!in && line.size() >= 3 && line.find("<<<") != std::string::npos) {
      in = true;
      current.clear();
    } else if (in && line == ">>>") {
      in = false;
      scripts.push_back(current);
    } else if (in) {
      if (!current.empty()) current += "\r\n";
      current += line;
    }
  }
  return scripts;
}

// Best seconds of one pass over all scripts.
template <class F>
double Best(int runs, int passes, F&& pass) {
  double best = 1e9;
  for (int r = 0; r < runs; ++r) {
    const double start = CpuSeconds();
    for (int p = 0; p < passes; ++p) pass();
    best = std::min(best, (CpuSeconds() - start) / passes);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
  }
  const std::vector<qel::ByteString> scripts = DemoScripts(QEL_DEMO_TEXT);
  if (scripts.empty()) {
    std::fprintf(stderr, "no scripts in %s\n", QEL_DEMO_TEXT);
    return 1;
  }
  qel::FixedClock clock(qel::EncodeDate(2024, 3, 5));
  qel::LocaleSettings locale;
  qel::HostServices services{&clock, &locale};
  qel::Runtime runtime;
  qel::TQelDB root(&runtime);
  qel::InterpreterPool pool(runtime, root, [&services](qel::TScriptCalc& calc) {
    qel::RegisterHostFunctions(calc, services);
    qel::RegisterGameFunctions(calc);
  });
  qel::TScriptCalc& calc = pool.At(0);
  size_t bytes = 0;
  size_t sink = 0;
  for (const auto& s : scripts) bytes += s.size();
  constexpr int kPasses = 50;
  const double tokenize = Best(runs, kPasses, [&] {
    for (const auto& s : scripts) sink += qel::Tokenize(s).size();
  });
  const double prepare = Best(runs, kPasses, [&] {
    for (const auto& s : scripts) sink += calc.Prepare(s) != nullptr;
  });
  // Tokenized text is taken as it is: what is left is compiling.
  std::vector<qel::ByteString> tokenized;
  for (const auto& s : scripts) tokenized.push_back(qel::Tokenize(s));
  const double compile = Best(runs, kPasses, [&] {
    for (const auto& s : tokenized) sink += calc.Prepare(s) != nullptr;
  });
  std::printf("%zu scripts, %zu bytes\n", scripts.size(), bytes);
  std::printf("%-22s %10s %12s\n", "", "us/pass", "us/script");
  std::printf("%-22s %10.1f %12.2f\n", "tokenize", tokenize * 1e6, tokenize * 1e6 / scripts.size());
  std::printf("%-22s %10.1f %12.2f\n", "prepare", prepare * 1e6, prepare * 1e6 / scripts.size());
  std::printf("%-22s %10.1f %12.2f\n", "prepare from tokens", compile * 1e6, compile * 1e6 / scripts.size());
  std::printf("prepare from tokens / tokenize %6.2f\n", compile / tokenize);
  return sink == 0 ? 1 : 0;
}
