#include "util/file_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/temp_store.h"
#include "util/event_pump.h"

namespace wordloom {
namespace {

using testing::G;

// Each test picks its collation and puts the user's back afterwards.
class SortTest : public ::testing::Test {
 protected:
  void TearDown() override { SetCollationLocaleForTesting(""); }
};

TEST_F(SortTest, SortsAscendingAndKeepsEqualElements) {
  ASSERT_TRUE(SetCollationLocaleForTesting("C"));
  TextArray a{"b.txt", "a.txt", "c.txt"};
  SortTextArray(a);
  EXPECT_EQ(a, (TextArray{"a.txt", "b.txt", "c.txt"}));
  TextArray twins{"x", "a", "x", "a"};
  SortTextArray(twins);
  EXPECT_EQ(twins, (TextArray{"a", "a", "x", "x"}));
  TextArray empty, one{"z"};
  SortTextArray(empty);
  SortTextArray(one);
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(one, (TextArray{"z"}));
  SortTextArray(a, 1);
  EXPECT_EQ(a, (TextArray{"c.txt", "b.txt", "a.txt"}));
}

TEST_F(SortTest, BisectionAgreesWithAFullSortOnDistinctTexts) {
  ASSERT_TRUE(SetCollationLocaleForTesting("C"));
  std::mt19937 rng(3);
  for (int round = 0; round < 300; ++round) {
    TextArray a;
    for (std::size_t n = rng() % 40; n > 0; --n) a.push_back(std::to_string(rng() % 1000));
    std::sort(a.begin(), a.end());
    a.erase(std::unique(a.begin(), a.end()), a.end());
    std::shuffle(a.begin(), a.end(), rng);
    TextArray expected = a;
    std::sort(expected.begin(), expected.end());
    SortTextArray(a);
    ASSERT_EQ(a, expected) << "round " << round;
  }
}

TEST_F(SortTest, ComparesInTheUsersLocaleNotByGbkBytes) {
  if (!SetCollationLocaleForTesting("C.UTF-8")) GTEST_SKIP() << "C.UTF-8 not installed";
  // 一 (U+4E00, GBK D2BB) comes before 中 (U+4E2D, GBK D6D0) and 丁 (U+4E01, GBK B6A1)
  // before both in code point order, which GBK byte order would not give.
  TextArray a{G("中"), G("丁"), G("一")};
  SortTextArray(a);
  EXPECT_EQ(a, (TextArray{G("一"), G("丁"), G("中")}));
}

TEST_F(SortTest, CollationIsCaseSensitiveAndLocaleAware) {
  if (!SetCollationLocaleForTesting("en_US.UTF-8")) GTEST_SKIP() << "en_US.UTF-8 not installed";
  TextArray a{"B", "b", "A", "a"};
  SortTextArray(a);
  EXPECT_EQ(a, (TextArray{"a", "A", "b", "B"}));  // byte order would give A B a b
}

int gPumps = 0;
void CountPump() { ++gPumps; }

TEST(EnumerateFilesTest, LetsWaitingEventsRunAfterEachFile) {
  testing::TempStore store;
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.doc"}) {
    store.WriteFile(std::string("t/") + name, "");
  }
  gPumps = 0;
  SetPumpEventsHook(&CountPump);
  TextArray names;
  EnumerateFiles(store.Path("t"), "*.txt", names);
  SetPumpEventsHook(nullptr);
  EXPECT_EQ(gPumps, 3);
}

}  // namespace
}  // namespace wordloom
