// Scripts: each input is the source of an event script of an image in a small game, run as
// the player runs events (interpreter pool, whole host table, nested events), under a small
// step budget so that endless loops end as script errors.
#include "elements/element.h"
#include "elements/game_file.h"
#include "fuzz_game.h"
#include "fuzz_support.h"

namespace {

constexpr char kGameText[] = R"(TQelDB {
  Key = 0
  Id = "Fuzz"
  TQelScreen {
    Key = 1
    Id = "Room"
    TQelImage {
      Key = 2
      Id = "Door"
      TQelImage {
        Key = 3
        Id = "Knob"
      }
      TQelText {
        Key = 4
        Id = "Sign"
      }
    }
    TQelShape {
      Key = 5
      Id = "Panel"
      TQelImList {
        Key = 6
        Id = "Bag"
      }
    }
    TQelAnim {
      Key = 7
      Id = "Bird"
      TQelAnKey {
        Key = 8
        Id = "K1"
      }
    }
  }
}
)";

constexpr uint64_t kStepBudget = 20000;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qel::fuzz::EnterScratchDir();
  qel::fuzz::TheGame(kGameText, kStepBudget);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::fuzz::FuzzGame& game = qel::fuzz::TheGame();
  qel::LoadGameData(game.root, game.file);
  for (int i = 0; i < qel::InterpreterPool::kSize; ++i) {
    game.pool.At(i).ClearVariables();
    game.pool.At(i).Reset();
  }
  game.runtime.script = qel::ScriptGlobals{};
  game.runtime.script.RandSeed = 12345;
  qel::TQelElement* door = game.root.Child(0)->Child(0);
  door->SetEventSource(qel::evMouseDown, qel::fuzz::AsView(data, size));
  door->DoMouseDown();
  return 0;
}
