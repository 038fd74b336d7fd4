#include "elements/qel_db.h"

#include <cstdio>

#include "elements/particles.h"

namespace qel {

TQelDB::TQelDB(Runtime* runtime) : stars_(std::make_unique<StarPool>()) {
  if (!runtime) ownedRuntime_ = std::make_unique<Runtime>();
  runtime_ = runtime ? runtime : ownedRuntime_.get();
  runtime_->services.lang = &lang_;
  AttachAsRoot(this);
}

TQelDB::~TQelDB() {
  // The tree must go while the runtime that registers its handles still exists.
  Clear();
  if (runtime_->services.lang == &lang_) runtime_->services.lang = nullptr;
  if (particles_ && runtime_->services.particles == particles_.get()) runtime_->services.particles = nullptr;
  DetachFromRuntime();
}

void TQelDB::Clear() {
  while (ChildCount() > 0) DestroyChild(Child(ChildCount() - 1));
}

std::optional<PlayerFiles> TQelDB::Files() {
  GameDir* dir = runtime().services.dir;
  if (!dir) return std::nullopt;
  std::string base = gameFile_.empty() ? dir->Root().filename().string() : gameFile_.stem().string();
  return PlayerFiles(*dir, PlayerFiles::DataDirFor(base));
}

void TQelDB::ReportProblem(const std::string& message) {
  std::fprintf(stderr, "qelplayer: %s\n", message.c_str());
  if (!SaveErr) return;
  std::filesystem::path log = runtime().errorLog;
  if (log.empty()) {
    auto files = Files();
    auto place = files ? files->ForWrite("brannoc.err") : std::nullopt;
    if (!place) return;
    log = *place;
  }
  if (std::FILE* f = std::fopen(log.c_str(), "ab")) {
    std::fwrite(message.data(), 1, message.size(), f);
    std::fwrite("\r\n", 1, 2, f);
    std::fclose(f);
  }
}

}  // namespace qel
