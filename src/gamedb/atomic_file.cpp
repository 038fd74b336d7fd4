#include "gamedb/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace qel {
namespace {

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Makes the renames inside a directory durable.
void SyncDirectory(const std::filesystem::path& dir) {
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::filesystem::path BackupPath(const std::filesystem::path& file) {
  std::filesystem::path p = file;
  p += ".bak";
  return p;
}

bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes, bool keepBackup, std::string* error) {
  std::filesystem::path temp = target;
  temp += ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(error, "cannot create " + temp.string());
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    Fail(error, "cannot write " + temp.string());
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
  }
  if (::close(fd) != 0) {
    Fail(error, "cannot write " + temp.string());
    ::unlink(temp.c_str());
    return false;
  }
  if (keepBackup && ::access(target.c_str(), F_OK) == 0) {
    // A hard link keeps the target in place the whole time; where links are
    // not possible the target moves aside and the backup stands in for it
    // until the rename below.
    std::filesystem::path backup = BackupPath(target);
    std::filesystem::path backupTemp = backup;
    backupTemp += ".tmp";
    ::unlink(backupTemp.c_str());
    if (::link(target.c_str(), backupTemp.c_str()) == 0) {
      if (::rename(backupTemp.c_str(), backup.c_str()) != 0) ::unlink(backupTemp.c_str());
    } else {
      ::rename(target.c_str(), backup.c_str());
    }
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    Fail(error, "cannot replace " + target.string());
    ::unlink(temp.c_str());
    return false;
  }
  SyncDirectory(target.parent_path());
  return true;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(s).str();
}

}  // namespace qel
