// The saved state. A save is never written in place: the new state goes to
// a temporary file that replaces the save only when complete, and the
// previous save stays beside it as a backup. A damaged save is never half
// applied: it is checked whole first, and the backup is tried instead.
#include "elements/qel_db.h"
#include "elements/state_stream.h"
#include "gamedb/atomic_file.h"

namespace qel {

bool TQelDB::ClearState() {
  if (!saveOpen_) return false;
  auto files = Files();
  auto target = files ? files->ForWrite(FileRS) : std::nullopt;
  if (!target) return false;
  ByteString state;
  SaveState(*this, state);
  std::string error;
  bool ok = ReplaceFile(*target, state, true, &error);
  if (!ok) ReportProblem("the game could not be saved: " + error);
  if (hooks.resetClock) hooks.resetClock();
  return ok;
}

namespace {

// The whole stream when every record in it can be read.
std::optional<std::string> ReadableSave(const std::filesystem::path& file, std::string& problem) {
  auto data = ReadWholeFile(file);
  if (!data) {
    problem = "cannot be read";
    return std::nullopt;
  }
  ByteString why;
  if (!ReadStateRecords(*data, [](const StateRecord&) {}, &why)) {
    problem = why;
    return std::nullopt;
  }
  return data;
}

}  // namespace

bool TQelDB::RestoreState() {
  if (!saveOpen_) return false;
  Runtime& rt = runtime();
  auto files = Files();
  auto file = files ? files->ForRead(FileRS) : std::nullopt;
  if (!file) return false;
  std::string problem;
  auto data = ReadableSave(*file, problem);
  if (!data) {
    ReportProblem("saved state " + file->string() + ": " + problem + "; nothing of it was loaded");
    std::filesystem::path backup = BackupPath(*file);
    std::error_code ec;
    if (std::filesystem::exists(backup, ec)) {
      data = ReadableSave(backup, problem);
      if (data)
        ReportProblem("loaded the previous save " + backup.string() + " instead");
      else
        ReportProblem("previous save " + backup.string() + ": " + problem + "; nothing of it was loaded");
    }
  }
  rt.shell.ImmediateImageLoad = false;
  bool wasReading = rt.reading;
  rt.reading = true;
  if (data) RestoreStateRecords(*this, *data);
  rt.shell.ImmediateImageLoad = true;
  AfterLoad();
  if (hooks.resetClock) hooks.resetClock();
  rt.reading = wasReading;
  return data.has_value();
}

}  // namespace qel
