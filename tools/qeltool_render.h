#pragma once
// qeltool subcommands of the rendering layer: "archive" and "font". The main of qeltool
// dispatches to them with argv[0] = the subcommand name ("archive" or "font").
#include <cstdint>
#include <string>
#include <string_view>

// qeltool archive list ARCHIVE
// qeltool archive extract ARCHIVE NAME -o FILE      (exit 2 when the record cannot be read)
// qeltool archive add ARCHIVE NAME FILE [--type N]  (plain record; creates or replaces)
int RunArchiveCommand(int argc, char** argv);

// qeltool font TTF PIXELSIZE NAME -o ARCHIVE [--first N] [--count N]
int RunFontCommand(int argc, char** argv);

namespace qel {
// Adds (or replaces, case-insensitively) a plain record, creating the archive when missing.
// Returns false and an error message on failure.
bool AddArchiveRecord(const std::string& archive, const std::string& name, uint16_t type, std::string_view data,
                      std::string& error);
// Builds a font record payload (type 3) from a TrueType font; false and a message on failure.
bool BuildFontRecord(const std::string& ttf, int pixelSize, int first, int count, std::string& record,
                     std::string& error);
}  // namespace qel
