// Saved-state streams applied to a loaded game (the small game of the tests). Each input starts from the game
// as loaded; the state the stream leaves must save and restore to itself, unless the
// stream changed what a state does not save (keys, NotSave). Whether it did is read off the
// tree, not off the record names, which match in any case ("Key", "notsave").
#include <utility>
#include <vector>

#include "elements/game_file.h"
#include "elements/state_stream.h"
#include "fuzz_game.h"
#include "fuzz_support.h"

namespace {

// What a saved state leaves as the game file had it: every element's key and NotSave.
std::vector<std::pair<int32_t, bool>> UnsavedFields(qel::TQelElement& e) {
  std::vector<std::pair<int32_t, bool>> out{{e.Key, e.NotSave}};
  for (int i = 0; i < e.ChildCount(); ++i)
    for (const auto& f : UnsavedFields(*e.Child(i))) out.push_back(f);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qel::fuzz::EnterScratchDir();
  qel::fuzz::TheGame(qel::fuzz::ReadTextFile(QEL_TEST_GAME_TEXT));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::fuzz::FuzzGame& game = qel::fuzz::TheGame();
  qel::LoadGameData(game.root, game.file);
  const auto asLoaded = UnsavedFields(game.root);
  qel::RestoreStateRecords(game.root, qel::fuzz::AsView(data, size));
  if (UnsavedFields(game.root) != asLoaded) return 0;
  qel::ByteString first;
  qel::SaveState(game.root, first);

  qel::LoadGameData(game.root, game.file);
  qel::RestoreStateRecords(game.root, first);
  qel::ByteString second;
  qel::SaveState(game.root, second);
  if (first != second) __builtin_trap();  // a saved state must restore to itself
  return 0;
}
