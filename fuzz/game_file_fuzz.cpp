// Game files: the reader builds a tree (event sources prepared by the interpreters, as in
// the player), the tree's state is written and read back, and the text dump reads the file.
// Whatever the damage, the tree written back must read cleanly, and once read back it must
// write the same bytes again; a file the dump reads cleanly must pack back to itself.
// (Once: a record cut short leaves values at their defaults, which a setter may not give
// back. An animation's Pos of 0 reads back as -1 while its frames are not built yet.)
#include <string>
#include <vector>

#include "elements/game_file.h"
#include "elements/game_text.h"
#include "elements/state_stream.h"
#include "fuzz_game.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qel::fuzz::EnterScratchDir();
  qel::fuzz::TheGame();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::fuzz::FuzzGame& game = qel::fuzz::TheGame();
  std::string_view file = qel::fuzz::AsView(data, size);
  qel::LoadGameData(game.root, file);
  qel::ByteString state;
  qel::SaveState(game.root, state);
  qel::RestoreStateRecords(game.root, state);

  qel::ByteString written = qel::WriteElementRecord(game.root);
  if (!qel::LoadGameData(game.root, written)) __builtin_trap();
  written = qel::WriteElementRecord(game.root);
  if (!qel::LoadGameData(game.root, written)) __builtin_trap();
  if (qel::WriteElementRecord(game.root) != written) __builtin_trap();

  std::string text;
  std::vector<qel::TextProblem> problems;
  if (qel::DumpGame(file, text, problems)) {
    qel::ByteString packed;
    if (!qel::PackGame(text, packed, problems) || packed != file) __builtin_trap();
  }
  return 0;
}
