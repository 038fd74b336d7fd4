#include "base/game_paths.h"

#include <system_error>

#include "base/encoding.h"

namespace qel {
namespace fs = std::filesystem;

namespace {

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len;
    char32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    static constexpr char32_t kMinForLength[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinForLength[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

char32_t FoldCodePoint(char32_t cp) {
  if (cp >= U'A' && cp <= U'Z') return cp + 0x20;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;    // Latin-1 letters
  if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;                // А..Я
  if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;                // Ѐ..Џ (Ё, Ї, Є, ...)
  if (cp == 0x490) return 0x491;                                   // Ґ
  return cp;
}

bool IsFile(const fs::path& p) {
  std::error_code ec;
  return fs::exists(p, ec);
}

}  // namespace

std::string FoldFileName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  // Names copied from Windows media may sit on disk in Windows-1251 bytes.
  std::string text = IsValidUtf8(name) ? std::string(name) : Cp1251ToUtf8(ByteString(name));
  size_t pos = 0;
  while (pos < text.size()) AppendUtf8(out, FoldCodePoint(DecodeUtf8(text, pos)));
  return out;
}

std::optional<std::vector<std::string>> SplitGameName(std::string_view name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return std::nullopt;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    std::string_view part = name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    // "..", drive letters ("C:") and stream names all would reach outside
    // the folder on the system the games come from.
    if (part == ".." || part.find(':') != std::string_view::npos ||
        part.find('\0') != std::string_view::npos)
      return std::nullopt;
    parts.push_back(IsValidUtf8(part) ? std::string(part) : Cp1251ToUtf8(ByteString(part)));
  }
  if (parts.empty()) return std::nullopt;
  return parts;
}

GameDir::GameDir(fs::path root) : root_(std::move(root)) {}

const GameDir::Listing& GameDir::Read(const fs::path& dir) {
  Listing& listing = listings_[dir.string()];
  listing.byFolded.clear();
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string onDisk = it->path().filename().string();
    auto [slot, added] = listing.byFolded.emplace(FoldFileName(onDisk), onDisk);
    if (!added && onDisk < slot->second) slot->second = onDisk;
  }
  return listing;
}

std::optional<std::string> GameDir::Match(const fs::path& dir, const std::string& component) {
  if (IsFile(dir / component)) return component;
  std::string folded = FoldFileName(component);
  auto cached = listings_.find(dir.string());
  if (cached != listings_.end()) {
    auto hit = cached->second.byFolded.find(folded);
    if (hit != cached->second.byFolded.end() && IsFile(dir / hit->second)) return hit->second;
  }
  const Listing& fresh = Read(dir);
  auto hit = fresh.byFolded.find(folded);
  if (hit == fresh.byFolded.end()) return std::nullopt;
  return hit->second;
}

std::optional<fs::path> GameDir::Find(std::string_view name) {
  auto parts = SplitGameName(name);
  if (!parts) return std::nullopt;
  fs::path path = root_;
  bool caseOnly = false;
  for (const std::string& part : *parts) {
    auto onDisk = Match(path, part);
    if (!onDisk) return std::nullopt;
    // A name kept on disk in Windows-1251 bytes is the same spelling, not another case.
    caseOnly = caseOnly || (IsValidUtf8(*onDisk) ? *onDisk : Cp1251ToUtf8(ByteString(*onDisk))) != part;
    path /= *onDisk;
  }
  if (caseOnly && onCaseOnlyMatch) onCaseOnlyMatch(name, path);
  return path;
}

std::optional<fs::path> GameDir::ForWrite(std::string_view name) {
  auto parts = SplitGameName(name);
  if (!parts) return std::nullopt;
  fs::path path = root_;
  bool matching = true;
  for (const std::string& part : *parts) {
    if (matching) {
      auto onDisk = Match(path, part);
      if (onDisk) {
        path /= *onDisk;
        continue;
      }
      matching = false;
    }
    path /= part;
  }
  return path;
}

}  // namespace qel
