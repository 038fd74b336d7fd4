// Temporary stand-alone driver for the render subcommands (removed when qeltool's main
// dispatches "archive" and "font").
#include <cstdio>
#include <cstring>

#include "qeltool_render.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "archive") == 0) return RunArchiveCommand(argc - 1, argv + 1);
  if (argc >= 2 && std::strcmp(argv[1], "font") == 0) return RunFontCommand(argc - 1, argv + 1);
  std::fprintf(stderr, "usage: qeltool_render archive|font ...\n");
  return 1;
}
