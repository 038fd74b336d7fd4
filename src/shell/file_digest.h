#pragma once
// The SHA-256 of a file, as 64 lower-case hexadecimal digits.
#include <filesystem>
#include <string>

namespace qel {

// Empty when the file cannot be read.
std::string FileSha256(const std::filesystem::path& file);

}  // namespace qel
