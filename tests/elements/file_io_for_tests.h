#pragma once
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "elements/game_text.h"

namespace qel::test {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The demo game, packed from its text.
inline std::string DemoGameFile() {
  std::string file;
  std::vector<TextProblem> problems;
  PackGame(ReadFile(QEL_DEMO_TEXT), file, problems);
  return file;
}

}  // namespace qel::test
