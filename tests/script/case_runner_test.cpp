// Scripts as data: every cases/NAME.qs runs on a fresh interpreter, and its
// variables and error state, printed as the script tool prints them, must
// equal cases/NAME.out.
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

INSTANTIATE_TEST_SUITE_P(Cases, ScriptCase, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<fs::path>& info) {
                           std::string name = info.param.stem().string();
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace qel
