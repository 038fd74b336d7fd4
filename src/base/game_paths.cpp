#include "base/game_paths.h"

#include <cctype>
#include <system_error>

namespace qel {
namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

GameDir::GameDir(std::filesystem::path root) : root_(std::move(root)) {}

std::optional<std::vector<std::string>> GameDir::Split(std::string_view name) const {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return std::nullopt;
  if (name.size() >= 2 && name[1] == ':') return std::nullopt;
  std::vector<std::string> parts;
  std::string part;
  auto flush = [&]() {
    if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
  };
  for (char c : name) {
    if (c == '/' || c == '\\')
      flush();
    else
      part += c;
  }
  flush();
  for (const std::string& p : parts)
    if (p == "..") return std::nullopt;
  if (parts.empty()) return std::nullopt;
  return parts;
}

std::optional<std::string> GameDir::Match(const std::filesystem::path& dir, const std::string& part) {
  std::error_code ec;
  if (std::filesystem::exists(dir / part, ec)) return part;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    std::string n = entry.path().filename().string();
    if (SameNoCase(n, part)) return n;
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> GameDir::Find(std::string_view name) {
  auto parts = Split(name);
  if (!parts) return std::nullopt;
  std::filesystem::path p = root_;
  for (const std::string& part : *parts) {
    auto m = Match(p, part);
    if (!m) return std::nullopt;
    p /= *m;
  }
  return p;
}

std::optional<std::filesystem::path> GameDir::ForWrite(std::string_view name) {
  auto parts = Split(name);
  if (!parts) return std::nullopt;
  std::filesystem::path p = root_;
  bool matching = true;
  for (const std::string& part : *parts) {
    std::optional<std::string> m = matching ? Match(p, part) : std::nullopt;
    if (!m) matching = false;
    p /= m ? *m : part;
  }
  return p;
}

}  // namespace qel
