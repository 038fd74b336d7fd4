// Truncated and byte-mutated game files and state streams: whatever the
// damage, reading stops at the data's end and never crashes.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "elements/game_file.h"
#include "elements/game_text.h"
#include "elements/qel_db.h"
#include "elements/state_stream.h"
#include "file_io_for_tests.h"

namespace qel {
namespace {

ByteString Demo() {
  ByteString file;
  std::vector<TextProblem> problems;
  EXPECT_TRUE(PackGame(test::ReadFile(QEL_DEMO_TEXT), file, problems));
  return file;
}

// Loads from a heap copy of exactly the damaged size, so that the
// sanitizers see any read past its end.
void LoadAndDump(const ByteString& data) {
  std::vector<char> exact(data.begin(), data.end());
  std::string_view view(exact.data(), exact.size());
  TQelDB db;
  LoadGameData(db, view);
  std::string text;
  std::vector<TextProblem> problems;
  DumpGame(view, text, problems);
  ByteString state;
  SaveState(db, state);
  TQelDB other;
  LoadGameData(other, view);
  RestoreStateRecords(other, state);
}

TEST(CorruptInput, EveryTruncationOfTheDemoLoads) {
  ByteString file = Demo();
  for (size_t len = 0; len < file.size(); ++len) LoadAndDump(file.substr(0, len));
}

TEST(CorruptInput, MutatedBytesNeverCrash) {
  ByteString file = Demo();
  std::mt19937 gen(42);
  for (int round = 0; round < 3000; ++round) {
    ByteString damaged = file;
    int flips = 1 + static_cast<int>(gen() % 4);
    for (int i = 0; i < flips; ++i) {
      size_t at = gen() % damaged.size();
      // Lengths and counts are where damage hurts: favour 0x00, 0xFF and 0x7F.
      static const unsigned char kBytes[] = {0x00, 0xFF, 0x7F, 0x80};
      damaged[at] = static_cast<char>(gen() % 2 ? kBytes[gen() % 4] : gen() % 256);
    }
    LoadAndDump(damaged);
  }
}

TEST(CorruptInput, StateStreamTruncationsStopCleanly) {
  ByteString file = Demo();
  TQelDB db;
  ASSERT_TRUE(LoadGameData(db, file));
  ByteString state;
  SaveState(db, state);
  for (size_t len = 0; len < state.size(); len += 3) {
    ByteString cut = state.substr(0, len);
    std::vector<char> exact(cut.begin(), cut.end());
    RestoreStateRecords(db, std::string_view(exact.data(), exact.size()));
  }
}

}  // namespace
}  // namespace qel
