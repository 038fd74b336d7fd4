// qelscript: runs a script outside a game, on a pool interpreter with the
// host-function table, and prints the variables it left and its error.
//   qelscript [--game GAME.qelf] [--element PATH] [--dir DIR] [--seed N] [--now DATETIME] [--save-err]
//             [--script-budget N] [--no-fast-paths] SCRIPTFILE
// --now fixes what Now, Date and Time read (days since 30.12.1899, e.g. 45356.5),
// so that a seeded run repeats exactly. --script-budget sets the statements and
// loop rounds a run may take (0: no limit); --no-fast-paths runs every statement
// the general way.
// Exit status: 0 ran without error, 1 script error, 2 usage or file error.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "elements/game_file.h"
#include "file_io.h"
#include "hostapi/host_table.h"
#include "script/interpreter_pool.h"
#include "script/var_dump.h"

namespace qel {
namespace {

struct Options {
  std::string game, element, dir, script;
  std::optional<uint32_t> seed;
  std::optional<double> now;
  bool saveErr = false;
  std::optional<uint64_t> budget;
  bool noFastPaths = false;
};

constexpr const char* kUsage =
    "usage: qelscript [options] SCRIPTFILE\n"
    "Runs the script and prints the variables it left (NAME = KIND VALUE), then its error if any.\n"
    "\n"
    "  --game GAME.qelf       load the game first\n"
    "  --element PATH         run as the element at PATH (Room.Door; QELDB is the root)\n"
    "  --dir DIR              run in the folder DIR\n"
    "  --seed N               seed of Random\n"
    "  --now DATETIME         what Now, Date and Time read (days since 30.12.1899)\n"
    "  --save-err             append errors to the error log brannoc.err\n"
    "  --script-budget N      statements and loop rounds the run may take (0: no limit)\n"
    "  --no-fast-paths        run every statement the general way\n"
    "  --version              print the version\n"
    "  --help                 print this text\n"
    "Exit status: 0 ran without error, 1 script error, 2 usage or file error.\n";

int Usage(const char* why) {
  std::fprintf(stderr, "qelscript: %s\n", why);
  std::fputs(kUsage, stderr);
  return 2;
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    if (a == "--game") {
      if (!value(o.game)) return false;
    } else if (a == "--element") {
      if (!value(o.element)) return false;
    } else if (a == "--dir") {
      if (!value(o.dir)) return false;
    } else if (a == "--seed") {
      std::string s;
      if (!value(s)) return false;
      auto n = ParseInteger(s);
      if (!n || *n < INT32_MIN || *n > UINT32_MAX) return false;
      o.seed = static_cast<uint32_t>(*n);
    } else if (a == "--now") {
      std::string s;
      if (!value(s)) return false;
      o.now = ParseFloat(s);
      if (!o.now) return false;
    } else if (a == "--save-err") {
      o.saveErr = true;
    } else if (a == "--script-budget") {
      std::string s;
      if (!value(s)) return false;
      auto n = ParseInteger(s);
      if (!n || *n < 0) return false;
      o.budget = static_cast<uint64_t>(*n);
    } else if (a == "--no-fast-paths") {
      o.noFastPaths = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      return false;
    } else if (o.script.empty()) {
      o.script = a;
    } else {
      return false;
    }
  }
  return !o.script.empty();
}

// "QELDB" alone is the root; otherwise child Ids from the root, dot-separated.
TQelElement* FindElement(TQelDB& root, const std::string& path) {
  if (UpperAscii(path) == "QELDB") return &root;
  TQelElement* e = &root;
  size_t pos = 0;
  while (e && pos <= path.size()) {
    size_t dot = path.find('.', pos);
    if (dot == std::string::npos) dot = path.size();
    e = e->FindChildById(path.substr(pos, dot - pos));
    pos = dot + 1;
  }
  return e;
}

std::string Absolute(const std::string& path) {
  return path.empty() ? path : std::filesystem::absolute(path).string();
}

int Main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) return std::fputs(kUsage, stdout), 0;
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) return std::fputs("qelscript " QEL_VERSION "\n", stdout), 0;
  Options o;
  if (!ParseOptions(argc, argv, o)) return Usage("invalid arguments");
  o.game = Absolute(o.game);
  o.script = Absolute(o.script);
  if (!o.dir.empty() && chdir(o.dir.c_str()) != 0) return Usage("cannot enter the directory");
  auto source = ReadWholeFile(o.script);
  if (!source) return Usage("cannot read the script file");

  Runtime runtime;
  TQelDB root(&runtime);
  const FixedClock fixedClock(o.now.value_or(0));
  HostServices services = DefaultHostServices();
  if (o.now) services.clock = &fixedClock;
  InterpreterPool pool(runtime, root, [&services](TScriptCalc& calc) {
    RegisterHostFunctions(calc, services);
    RegisterGameFunctions(calc);
  });
  if (o.budget) pool.SetStepBudget(*o.budget);
  if (o.noFastPaths) pool.SetFastPaths(false);
  if (!o.game.empty()) {
    auto data = ReadWholeFile(o.game);
    if (!data) return Usage("cannot read the game file");
    if (!LoadGameData(root, *data)) return Usage("the game file is damaged");
  }
  TQelElement* element = nullptr;
  if (!o.element.empty()) {
    element = FindElement(root, o.element);
    if (!element) return Usage("no element at that path");
  }
  if (o.saveErr) root.SaveErr = true;
  runtime.script.RandSeed =
      o.seed ? *o.seed : static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
  runtime.script.EventName.clear();
  runtime.script.CurrentElement = element ? element->Handle() : 0;

  TScriptCalc& calc = pool.At(0);
  ProgramRef program = calc.Prepare(*source);
  if (calc.ErrorCode() == 0) calc.Run(program);
  std::string out = DumpState(calc, [&](uint32_t h) -> ByteString {
    TQelElement* e = runtime.Resolve(h);
    return e ? e->Description() : ByteString();
  });
  std::fwrite(out.data(), 1, out.size(), stdout);
  return calc.ErrorCode() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace qel

int main(int argc, char** argv) { return qel::Main(argc, argv); }
