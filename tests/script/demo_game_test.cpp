// The demo game played through its own scripts: the door opens on the third knock.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "elements/game_file.h"
#include "elements/game_text.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "script/interpreter_pool.h"
#include "script_test_util.h"

namespace qel {
namespace {

std::string DemoText() {
  std::ifstream in(QEL_DEMO_TEXT, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(DemoGame, TheDoorOpensOnTheThirdKnock) {
  TempDir dir;  // the demo logs script errors into the current directory
  Runtime runtime;
  TQelDB db{&runtime};
  InterpreterPool pool{runtime, db, nullptr};
  ByteString file;
  std::vector<TextProblem> problems;
  ASSERT_TRUE(PackGame(DemoText(), file, problems));
  ASSERT_TRUE(LoadGameData(db, file));
  db.Init();
  TQelElement* room = db.FindByKey(1);
  auto* door = static_cast<TQelImage*>(db.FindByKey(3));
  ASSERT_TRUE(room->Vars && room->Vars->Find("CLICKS"));
  EXPECT_EQ(runtime.script.ScriptDepth, 1);

  door->DoMouseDown();
  door->DoMouseDown();
  EXPECT_EQ(room->Vars->Find("CLICKS")->Value, Variant::Integer(2));
  EXPECT_EQ(door->Anim, 0);
  door->DoMouseDown();
  EXPECT_EQ(room->Vars->Find("OPENED")->Value, Variant::Boolean(true));
  EXPECT_EQ(door->Anim, 1);
  EXPECT_EQ(runtime.script.ScriptDepth, 1);
  EXPECT_EQ(runtime.script.CurrentElement, 0u);
}

}  // namespace
}  // namespace qel
