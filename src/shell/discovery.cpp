#include "shell/discovery.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "base/encoding.h"

namespace fs = std::filesystem;

namespace qel {
namespace {

bool IsFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

std::string Trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// The first "*.qelf" of a directory, by name (the extension in any case).
std::optional<fs::path> FirstGameIn(const fs::path& dir) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    if (UpperAscii(p.extension().string()) == ".QELF" && IsFile(p)) found.push_back(p);
  }
  if (found.empty()) return std::nullopt;
  return *std::min_element(found.begin(), found.end(),
                           [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
}

}  // namespace

std::optional<std::string> ReadIniValue(const fs::path& file, const std::string& section, const std::string& key) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  bool inSection = false;
  std::string line;
  while (std::getline(in, line)) {
    line = Trimmed(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      inSection = close != std::string::npos && SameTextAscii(Trimmed(line.substr(1, close - 1)), section);
      continue;
    }
    const size_t eq = line.find('=');
    if (inSection && eq != std::string::npos && SameTextAscii(Trimmed(line.substr(0, eq)), key))
      return Trimmed(line.substr(eq + 1));
  }
  return std::nullopt;
}

std::optional<fs::path> DiscoverGame(const DiscoveryPlaces& places) {
  const fs::path exeDir = places.executable.parent_path();
  if (!places.executable.empty()) {
    fs::path own = exeDir / places.executable.stem();
    own += ".qelf";
    if (IsFile(own)) return own;
  }
  if (auto g = FirstGameIn(places.current)) return g;
  if (!places.executable.empty())
    if (auto g = FirstGameIn(exeDir)) return g;
  const fs::path ini = places.configHome / "QelMaker.ini";
  if (auto path = ReadIniValue(ini, "Main", "Path"); path && !path->empty()) {
    std::replace(path->begin(), path->end(), '\\', '/');
    fs::path game(*path);
    if (game.is_relative()) game = places.configHome / game;
    return game;
  }
  return std::nullopt;
}

DiscoveryPlaces ProcessPlaces(const char* argv0) {
  DiscoveryPlaces p;
  std::error_code ec;
  p.executable = fs::read_symlink("/proc/self/exe", ec);
  if (ec && argv0) p.executable = fs::absolute(argv0, ec);
  p.current = fs::current_path(ec);
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    p.configHome = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home)
    p.configHome = fs::path(home) / ".config";
  return p;
}

}  // namespace qel
