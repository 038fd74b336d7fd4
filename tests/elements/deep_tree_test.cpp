// Trees far deeper than any game: the reader cuts them at its depth bound and reports the
// cut, and every walk over the tree or the file (dump, state, writer, passes) stays safe.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/byte_stream.h"
#include "elements/game_file.h"
#include "elements/game_text.h"
#include "elements/qel_db.h"
#include "elements/state_stream.h"

namespace qel {
namespace {

// A root, a screen, then images each the only child of the one before: `depth` records in
// all. Written outside in, with the nested lengths computed first, so it costs O(depth).
ByteString DeepGame(int depth) {
  auto head = [](const char* className) {
    ByteString out;
    ByteWriter w(out);
    w.WriteString(className);
    w.WriteInt32(0);
    return out;
  };
  std::vector<ByteString> heads;
  for (int i = 0; i < depth; ++i) heads.push_back(head(i == 0 ? "TQelDB" : i == 1 ? "TQelScreen" : "TQelImage"));
  std::vector<int64_t> sizes(depth);
  sizes[depth - 1] = static_cast<int64_t>(heads[depth - 1].size());
  for (int i = depth - 2; i >= 0; --i) sizes[i] = static_cast<int64_t>(heads[i].size()) + 4 + sizes[i + 1];
  ByteString file;
  file.reserve(static_cast<size_t>(sizes[0]));
  ByteWriter w(file);
  for (int i = 0; i < depth; ++i) {
    w.WriteBytes(heads[i]);
    if (i + 1 < depth) w.WriteInt32(static_cast<int32_t>(sizes[i + 1]));
  }
  return file;
}

int TreeDepth(const TQelElement& root) {
  int depth = 1;
  for (const TQelElement* e = &root; e->ChildCount() > 0; e = e->Child(0)) ++depth;
  return depth;
}

bool MentionsDepth(const std::vector<LoadProblem>& problems) {
  return std::any_of(problems.begin(), problems.end(),
                     [](const LoadProblem& p) { return p.message.find("deeper than") != ByteString::npos; });
}

TEST(DeepTree, ReaderCutsAtTheBoundAndReportsIt) {
  for (int depth : {kMaxTreeDepth - 1, kMaxTreeDepth, kMaxTreeDepth + 1, 100000}) {
    SCOPED_TRACE(depth);
    ByteString file = DeepGame(depth);
    TQelDB db;
    bool clean = LoadGameData(db, file);
    EXPECT_EQ(clean, depth <= kMaxTreeDepth);
    EXPECT_EQ(MentionsDepth(db.runtime().loadProblems), depth > kMaxTreeDepth);
    EXPECT_EQ(TreeDepth(db), std::min(depth, kMaxTreeDepth));
  }
}

TEST(DeepTree, EveryWalkIsSafeOnTheDeepestTree) {
  ByteString file = DeepGame(100000);
  TQelDB db;
  LoadGameData(db, file);
  ASSERT_EQ(TreeDepth(db), kMaxTreeDepth);

  ByteString state;
  SaveState(db, state);
  EXPECT_TRUE(RestoreStateRecords(db, state));
  ByteString written = WriteElementRecord(db);
  TQelDB copy;
  EXPECT_TRUE(LoadGameData(copy, written));
  EXPECT_EQ(TreeDepth(copy), kMaxTreeDepth);

  db.Init();
  db.AfterLoad();
  db.Process();
  db.ClearLoaded();
  for (int layer = db.OrderMin(); layer <= db.OrderMax(); ++layer) db.Render(layer, 0xFFFFFFFFu, 0, 0, 0);
  EXPECT_EQ(db.FindByKey(-12345), nullptr);
  TQelElement* deepest = &db;
  while (deepest->ChildCount() > 0) deepest = deepest->Child(0);
  EXPECT_FALSE(deepest->Path().empty());
  db.Clear();
  EXPECT_EQ(db.ChildCount(), 0);
}

TEST(DeepTree, DumpCutsAtTheBoundAndPackRefusesDeeperText) {
  std::string text;
  std::vector<TextProblem> problems;
  EXPECT_FALSE(DumpGame(DeepGame(100000), text, problems));
  ASSERT_FALSE(problems.empty());
  EXPECT_NE(problems[0].message.find("deeper than"), std::string::npos);
  EXPECT_LT(text.size(), 4u * 1024 * 1024);  // indentation alone would be gigabytes

  text.clear();
  problems.clear();
  ASSERT_TRUE(DumpGame(DeepGame(kMaxTreeDepth), text, problems));
  ByteString packed;
  ASSERT_TRUE(PackGame(text, packed, problems));
  EXPECT_EQ(packed, DeepGame(kMaxTreeDepth));

  // One level more: the text nests deeper than any file the reader keeps.
  std::string deeper = text;
  size_t last = deeper.rfind("TQelImage {");
  deeper.insert(deeper.find('\n', last) + 1, "TQelImage {\n}\n");
  EXPECT_FALSE(PackGame(deeper, packed, problems));
}

}  // namespace
}  // namespace qel
