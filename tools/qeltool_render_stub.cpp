// Archive and font commands until the rendering layer provides them.
#include <cstdio>

#include "qeltool_commands.h"

namespace qel {

int RunArchiveCommand(int, char**) {
  std::fprintf(stderr, "qeltool: archive commands are not available in this build\n");
  return 2;
}

int RunFontCommand(int, char**) {
  std::fprintf(stderr, "qeltool: font commands are not available in this build\n");
  return 2;
}

}  // namespace qel
