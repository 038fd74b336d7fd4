#pragma once
// Sub-commands of qeltool that live beside the rendering layer. Each takes
// the arguments from the sub-command's name on and returns the exit status.
namespace qel {

int RunArchiveCommand(int argc, char** argv);
int RunFontCommand(int argc, char** argv);

}  // namespace qel
