#pragma once
// Replacing a file so that a crash at any moment leaves either the old or the
// new contents complete, never a mix and never nothing.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qel {

// The path of the copy of the previous contents kept beside a file ("save" -> "save.bak").
std::filesystem::path BackupPath(const std::filesystem::path& file);

// Writes the bytes to a temporary file beside the target, flushes them to
// disk, optionally keeps the previous target as BackupPath(target), then
// renames the temporary file over the target. False (and error) when any
// step fails; the target is then unchanged.
bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes, bool keepBackup,
                 std::string* error = nullptr);

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

}  // namespace qel
