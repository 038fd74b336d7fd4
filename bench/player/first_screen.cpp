#include "first_screen.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "elements/game_file.h"
#include "elements/qel_db.h"

namespace qel::bench {
namespace {

void Collect(const TQelElement& e, std::set<std::string>& names) {
  for (const PropertyInfo& p : e.Class().properties) {
    if (!p.IsString() || p.upperName.rfind("IM", 0) != 0) continue;
    std::string name = p.getString(e);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (!name.empty()) names.insert(name);
  }
  for (const auto& child : e.Children()) Collect(*child, names);
}

}  // namespace

std::vector<std::filesystem::path> FirstScreenPictures(const std::filesystem::path& gameFile) {
  std::ifstream in(gameFile, std::ios::binary);
  std::stringstream data;
  data << in.rdbuf();
  const std::string bytes = data.str();
  TQelDB root;
  LoadGameData(root, bytes);
  std::vector<std::filesystem::path> files;
  const TQelElement* screen = root.FindByKey(root.InitScreen);
  if (!screen) return files;
  std::set<std::string> names;
  Collect(*screen, names);
  for (const std::string& n : names) {
    const std::filesystem::path p = gameFile.parent_path() / n;
    if (std::filesystem::exists(p)) files.push_back(p);
  }
  return files;
}

}  // namespace qel::bench
