// A save interrupted at any moment (the process killed mid-write) leaves a
// save that loads completely: the old one or the new one, never a mix.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <set>

#include "support/temp_dir.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "elements/state_stream.h"
#include "gamedb/atomic_file.h"

namespace qel {
namespace {

constexpr int kTexts = 300;
// Sanitizer builds fork and tear down slowly; they run fewer.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kRuns = 30;
#else
constexpr int kRuns = 200;
#endif

// The generations the TEXT records of a save hold; empty when a record is cut.
std::optional<std::set<ByteString>> Generations(const std::string& bytes) {
  std::set<ByteString> seen;
  int texts = 0;
  bool whole = ReadStateRecords(bytes, [&](const StateRecord& r) {
    if (r.name != "TEXT") return;
    ++texts;
    seen.insert(r.value.ToString());
  });
  if (!whole || (texts != 0 && texts != kTexts)) return std::nullopt;
  return seen;
}

class SaveCrash : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime.services.dir = &game;
    root = std::make_unique<TQelDB>(&runtime);
    TQelElement* screen = root->CreateChild("TQelScreen");
    screen->Key = 1;
    for (int i = 0; i < kTexts; ++i) {
      auto* t = static_cast<TQelText*>(screen->CreateChild("TQelText"));
      t->Key = 10 + i;
      texts.push_back(t);
    }
    root->SetFileRS("game.sav");
    ASSERT_TRUE(root->HasSaveFile());
  }
  void SetGeneration(int g) {
    for (TQelText* t : texts) t->Text = "generation " + std::to_string(g) + std::string(40, '.');
  }

  test::TempDir dir;
  GameDir game{dir.path()};
  Runtime runtime;
  std::unique_ptr<TQelDB> root;
  std::vector<TQelText*> texts;
};

TEST_F(SaveCrash, EverySaveLeftBehindLoadsCompletely) {
  // How long one save takes here (the disk, the build): kills are spread
  // over that time, after zero or one save the child has finished.
  SetGeneration(0);
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(root->ClearState());
  const auto saveMicroseconds = static_cast<int>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count() / 3);
  std::mt19937 random(20261207);
  int generation = 0, interrupted = 0;
  for (int run = 0; run < kRuns; ++run) {
    const int first = generation;
    int done[2];
    ASSERT_EQ(::pipe(done), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(done[0]);
      for (int g = first + 1; g < first + 1000; ++g) {
        SetGeneration(g);
        root->ClearState();
        if (::write(done[1], "s", 1) != 1) break;
      }
      ::_exit(0);
    }
    ::close(done[1]);
    char byte;
    for (int saves = std::uniform_int_distribution<int>(0, 1)(random); saves > 0; --saves)
      if (::read(done[0], &byte, 1) != 1) break;
    ::usleep(std::uniform_int_distribution<int>(0, saveMicroseconds * 3 / 2)(random));
    ::kill(child, SIGKILL);
    ::close(done[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    interrupted += WIFSIGNALED(status) ? 1 : 0;

    auto save = Generations(dir.Read("game.sav"));
    ASSERT_TRUE(save) << "run " << run << ": the save is damaged";
    ASSERT_LE(save->size(), 1u) << "run " << run << ": the save mixes generations";
    if (dir.Exists("game.sav.bak")) {
      auto backup = Generations(dir.Read("game.sav.bak"));
      ASSERT_TRUE(backup && backup->size() <= 1) << "run " << run << ": the backup is damaged";
    }
    if (!save->empty()) {
      ByteString g = *save->begin();
      generation = std::stoi(g.substr(11));
      ASSERT_GE(generation, first) << "run " << run << ": the save went back in time";
    }
    // What the player would see: the save replays into the tree.
    SetGeneration(-1);
    EXPECT_TRUE(root->RestoreState());
    if (!save->empty()) {
      EXPECT_EQ(texts[0]->Text, *save->begin());
    }
  }
  EXPECT_GT(interrupted, kRuns * 9 / 10);
  EXPECT_GT(generation, kRuns / 10);  // the saves did move on between the kills
}

}  // namespace
}  // namespace qel
