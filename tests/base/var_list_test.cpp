// The name index of a long variable list must answer exactly as a search
// from the front would, through appends, pops and removals.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/var_list.h"

namespace qel {
namespace {

int ScanFor(const TVarList& list, const ByteString& name) {
  for (int i = 0; i < list.Count(); ++i)
    if (list[i].Name == name) return i;
  return -1;
}

ByteString Named(const char* head, int k, const char* tail) {
  ByteString name(head);
  name.append(std::to_string(k)).append(tail);
  return name;
}

ByteString Element(int k) { return Named("A[", k, "]"); }

// Names that hash alike or nearly so: elements of several arrays, a leading
// zero, two indices, a negative index, plain names.
ByteString AnyName(int k) {
  switch (k % 6) {
    case 0: return Named("B[", k / 6, "]");
    case 1: return Named("A[0", k / 6, "]");
    case 2: return Named("A[", k / 6, ",1]");
    case 3: return Named("A[-", k / 6, "]");
    case 4: return Named("V", k, "");
    default: return Element(k / 6);
  }
}

TEST(VarListIndex, AgreesWithAScanUnderRandomEdits) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
    TVarList list;
    const int names = 8 + pick(400);  // few names: duplicates are common
    for (int step = 0; step < 4000; ++step) {
      int what = pick(20);
      if (what < 10) {
        list.Append(AnyName(pick(names)), Variant::Byte(0));
      } else if (what < 13 && list.Count() > 0) {
        list.PopBack();
      } else if (what == 13 && list.Count() > 0) {
        list.Erase(pick(list.Count()));
      } else if (what < 16) {
        // Looked up, then appended when absent: the way new variables come.
        ByteString name = AnyName(pick(names));
        bool absent = ScanFor(list, name) < 0;
        ASSERT_EQ(list.AddIfMissing(TVar{name, Variant::Byte(1)}), absent) << "seed " << seed << " step " << step;
      } else if (what < 18) {
        // An element looked up by its parts; its name comes back when absent.
        const char* base = pick(2) ? "A" : "B";
        int k = pick(names / 6 + 3) - 1;
        ByteString full = ByteString(base) + "[" + std::to_string(k) + "]", name;
        int found = list.IndexOfElement(base, k, name);
        ASSERT_EQ(found, ScanFor(list, full)) << "seed " << seed << " step " << step;
        if (found < 0) {
          ASSERT_EQ(name, full);
          if (pick(2)) list.Append(name, Variant::Byte(2));
        }
      } else {
        ByteString name = AnyName(pick(names + 5));
        ASSERT_EQ(list.IndexOf(name), ScanFor(list, name)) << "seed " << seed << " step " << step;
      }
    }
    for (int k = 0; k < names + 5; ++k) ASSERT_EQ(list.IndexOf(AnyName(k)), ScanFor(list, AnyName(k)));
  }
}

TEST(VarListIndex, LargeArrayFillsAndEmpties) {
  TVarList list;
  for (int k = 0; k < 100000; ++k) list.Append(Element(k), Variant::Byte(0));
  EXPECT_EQ(list.IndexOf(Element(0)), 0);
  EXPECT_EQ(list.IndexOf(Element(99999)), 99999);
  EXPECT_EQ(list.IndexOf(Element(100000)), -1);
  ByteString name;
  EXPECT_EQ(list.IndexOfElement("A", 77777, name), 77777);
  EXPECT_EQ(list.IndexOfElement("A", INT32_MIN, name), -1);
  EXPECT_EQ(name, "A[-2147483648]");
  EXPECT_EQ(list.IndexOfElement("A", INT32_MAX, name), -1);
  EXPECT_EQ(name, "A[2147483647]");
  list.Append(Element(5), Variant::Byte(1));  // a duplicate: the first one wins
  EXPECT_EQ(list.IndexOf(Element(5)), 5);
  list.PopBack();
  EXPECT_EQ(list.IndexOf(Element(5)), 5);
  while (list.Count() > 50000) list.PopBack();
  EXPECT_EQ(list.IndexOf(Element(50000)), -1);
  EXPECT_EQ(list.IndexOf(Element(49999)), 49999);
}

}  // namespace
}  // namespace qel
