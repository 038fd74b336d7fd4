#pragma once
#include <fstream>
#include <sstream>
#include <string>

namespace qel::test {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace qel::test
