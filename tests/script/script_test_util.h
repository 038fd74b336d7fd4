#pragma once
// Small helpers shared by the interpreter tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "script/scriptcalc.h"

namespace qel {

// Runs a script on the interpreter (Prepare, then Run when Prepare was clean).
inline bool RunText(TScriptCalc& calc, const std::string& source) {
  ProgramRef program = calc.Prepare(source);
  return calc.ErrorCode() == 0 && calc.Run(program);
}

inline Variant ValueOf(const TScriptCalc& calc, const std::string& name) {
  int i = calc.IndexOfVariable(name);
  return i < 0 ? Variant() : calc.Variables()[i].Value;
}

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// A fresh directory made current for the test's lifetime.
class TempDir {
 public:
  TempDir() : old_(std::filesystem::current_path()) {
    path_ = std::filesystem::temp_directory_path() /
            ("qel_script_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(path_);
  }
  void Write(const std::string& name, const std::string& text) const {
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary) << text;
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path old_, path_;
};

}  // namespace qel
