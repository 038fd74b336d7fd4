#include "shell/start_files.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace qel {
namespace {

constexpr const char* kManifest = "files.txt";

// A relative name that stays inside its folder (no root, no "..", no empty
// parts) and fits on one line of files.txt.
bool SafeName(std::string_view name) {
  constexpr std::string_view kOffLine("\0\n\r", 3);
  if (name.empty() || name.front() == '/' || name.find_first_of(kOffLine) != std::string_view::npos) return false;
  size_t pos = 0;
  while (pos <= name.size()) {
    size_t end = name.find('/', pos);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(pos, end - pos);
    if (part.empty() || part == "." || part == "..") return false;
    pos = end + 1;
  }
  return true;
}

bool CopyRegular(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(from, ec))) return false;
  fs::create_directories(to.parent_path(), ec);
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

bool SettingsOrBackup(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".ini" || ext == ".bak";
}

const char* WhereName(StartFile::Where w) { return w == StartFile::Where::Game ? "game" : "data"; }

}  // namespace

std::vector<StartFile> CaptureStartFiles(const fs::path& gameDir, const std::vector<fs::path>& gameFiles,
                                         const fs::path& dataDir, const fs::path& into) {
  std::vector<StartFile> files;
  std::set<std::string> seen;
  auto addGame = [&](const fs::path& file) {
    const std::string name = file.lexically_normal().lexically_relative(gameDir.lexically_normal()).generic_string();
    if (!SafeName(name) || !seen.insert(name).second) return;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file, ec)))
      files.push_back({StartFile::Where::Game, name, false});
    else if (CopyRegular(file, into / "game" / name))
      files.push_back({StartFile::Where::Game, name, true});
  };
  for (const fs::path& f : gameFiles) {
    addGame(f);
    addGame(fs::path(f.string() + ".bak"));
  }
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(gameDir, ec))
    if (e.is_regular_file(ec) && SettingsOrBackup(e.path())) addGame(e.path());
  if (!dataDir.empty() && fs::is_directory(dataDir, ec)) {
    for (auto it = fs::recursive_directory_iterator(dataDir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      const std::string name = it->path().lexically_relative(dataDir).generic_string();
      if (SafeName(name) && CopyRegular(it->path(), into / "data" / name))
        files.push_back({StartFile::Where::Data, name, true});
    }
  }
  fs::create_directories(into, ec);
  std::ofstream(into / kManifest, std::ios::binary | std::ios::trunc) << FormatStartManifest(files);
  return files;
}

bool RestoreStartFiles(const fs::path& from, const fs::path& gameDir, const fs::path& dataDir, std::string* why) {
  std::ifstream in(from / kManifest, std::ios::binary);
  if (!in) {
    if (why) *why = "cannot read " + (from / kManifest).string();
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  for (const StartFile& f : ParseStartManifest(text.str())) {
    const bool game = f.where == StartFile::Where::Game;
    const fs::path target = (game ? gameDir : dataDir) / f.name;
    std::error_code ec;
    if (!f.present) {
      fs::remove(target, ec);
      continue;
    }
    if (!CopyRegular(from / WhereName(f.where) / f.name, target)) {
      if (why) *why = "cannot copy " + (from / WhereName(f.where) / f.name).string();
      return false;
    }
  }
  return true;
}

std::vector<StartFile> ParseStartManifest(std::string_view text) {
  std::vector<StartFile> files;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    StartFile f;
    if (line.rfind("present ", 0) == 0) {
      line.remove_prefix(8);
    } else if (line.rfind("absent ", 0) == 0) {
      line.remove_prefix(7);
      f.present = false;
    } else {
      continue;
    }
    if (line.rfind("game ", 0) == 0) {
      f.where = StartFile::Where::Game;
    } else if (line.rfind("data ", 0) == 0 && f.present) {
      f.where = StartFile::Where::Data;
    } else {
      continue;
    }
    line.remove_prefix(5);
    if (!SafeName(line)) continue;
    f.name = line;
    files.push_back(std::move(f));
  }
  return files;
}

std::string FormatStartManifest(const std::vector<StartFile>& files) {
  std::string out;
  for (const StartFile& f : files) {
    out += f.present ? "present " : "absent ";
    out += WhereName(f.where);
    out += ' ';
    out += f.name;
    out += '\n';
  }
  return out;
}

}  // namespace qel
