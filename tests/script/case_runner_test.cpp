// Scripts as data: every cases/NAME.qs runs on a fresh interpreter, and its
// variables and error state, printed as the script tool prints them, must
// equal cases/NAME.out. A bundle NAME.cases holds many small scripts, each
// after a line "=== title", with its expected output after a line "---".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "script/var_dump.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string RunCase(const fs::path& script) {
  TScriptCalc calc;
  ProgramRef program = calc.Prepare(ReadAll(script));
  if (calc.ErrorCode() == 0) calc.Run(program);
  return DumpState(calc, nullptr);
}

std::vector<fs::path> Cases() {
  std::vector<fs::path> list;
  for (const auto& e : fs::directory_iterator(QEL_SCRIPT_CASES))
    if (e.path().extension() == ".qs") list.push_back(e.path());
  std::sort(list.begin(), list.end());
  return list;
}

class ScriptCase : public testing::TestWithParam<fs::path> {};

TEST_P(ScriptCase, PrintsExpectedState) {
  fs::path script = GetParam();
  fs::path expected = script;
  expected.replace_extension(".out");
  ASSERT_TRUE(fs::exists(expected)) << expected;
  // The case directory is the game directory, for INCLUDE and USES.
  fs::path old = fs::current_path();
  fs::current_path(script.parent_path());
  std::string actual = RunCase(script);
  fs::current_path(old);
  EXPECT_EQ(ReadAll(expected), actual) << script.filename();
}

struct Bundled {
  std::string title, script, expected;
};

std::vector<Bundled> ReadBundle(const fs::path& p) {
  std::vector<Bundled> list;
  std::istringstream in(ReadAll(p));
  std::string line;
  bool inExpected = false;
  while (std::getline(in, line)) {
    if (line.rfind("=== ", 0) == 0) {
      list.push_back({line.substr(4), "", ""});
      inExpected = false;
    } else if (line == "---" && !list.empty()) {
      inExpected = true;
    } else if (!list.empty()) {
      (inExpected ? list.back().expected : list.back().script) += line + "\n";
    }
  }
  return list;
}

TEST(ScriptBundles, EveryScriptPrintsItsExpectedState) {
  fs::path old = fs::current_path();
  fs::current_path(QEL_SCRIPT_CASES);
  for (const auto& e : fs::directory_iterator(".")) {
    if (e.path().extension() != ".cases") continue;
    for (const Bundled& b : ReadBundle(e.path())) {
      TScriptCalc calc;
      ProgramRef program = calc.Prepare(b.script);
      if (calc.ErrorCode() == 0) calc.Run(program);
      EXPECT_EQ(b.expected, DumpState(calc, nullptr)) << e.path().filename() << ": " << b.title;
    }
  }
  fs::current_path(old);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptCase, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<fs::path>& info) {
                           std::string name = info.param.stem().string();
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace qel
