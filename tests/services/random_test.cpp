#include "services/random.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace wordloom {
namespace {

TEST(Random, FixedSeedGivesTheKnownSequence) {
  SeedRandom(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int value : expected) EXPECT_EQ(NextRandom15(), value);
}

TEST(Random, RangeOfOneTakesNoStep) {
  SeedRandom(1);
  EXPECT_EQ(RandomInRange(1, 1), 1);
  EXPECT_EQ(RandomInRange(5, 5), 5);
  EXPECT_EQ(NextRandom15(), 41);  // still the first value of the sequence
}

TEST(Random, SmallRangesKeepTheExactDraws) {
  SeedRandom(1);
  EXPECT_EQ(RandomInRange(1, 10), 1 + 41 % 10);
  EXPECT_EQ(RandomInRange(10, 1), 1 + 18467 % 10);  // bounds in either order
  EXPECT_EQ(RandomInRange(-5, 3), 6334 % 4);        // negative bounds count as 0
  EXPECT_EQ(RandomInRange(1, 32768), 1 + 26500);
}

TEST(Random, WideRangesReachTheirTop) {
  SeedRandom(3);
  long highest = 0;
  for (int i = 0; i < 200000; ++i) {
    long v = RandomInRange(1, 100000);
    ASSERT_GE(v, 1);
    ASSERT_LE(v, 100000);
    highest = std::max(highest, v);
  }
  EXPECT_GT(highest, 99900);  // a single draw could never pass 32768
}

TEST(Random, EvenDrawsHaveNoLowValueBiasAndAStepCountFixedByTheRange) {
  // 20,000 values: one 15-bit step taken modulo would make the 12,768 lowest twice as
  // likely (78% of the draws instead of 64%).
  SeedRandom(5);
  int low = 0;
  std::uint64_t highest = 0;
  for (int i = 0; i < 40000; ++i) {
    const std::uint64_t v = EvenRandomBelow(20000);
    ASSERT_LT(v, 20000u);
    low += v < 12768;
    highest = std::max(highest, v);
  }
  EXPECT_NEAR(low / 40000.0, 12768.0 / 20000.0, 0.02);
  EXPECT_GT(highest, 19990u);

  // The steps taken depend on the range only, so a seed fixes every later draw.
  const std::pair<std::uint64_t, int> stepsOf[] = {
      {0, 0}, {1, 0}, {2, 2}, {32768, 2}, {32769, 3}, {100000, 3}, {1u << 30, 3}};
  for (const auto& [n, steps] : stepsOf) {
    SeedRandom(1);
    EvenRandomBelow(n);
    const int expected[] = {41, 18467, 6334, 26500};
    EXPECT_EQ(NextRandom15(), expected[steps]) << n;
  }
}

TEST(Random, ClockSeedingsDifferAndStayPerThread) {
  SeedRandom();
  std::vector<int> first;
  for (int i = 0; i < 4; ++i) first.push_back(NextRandom15());
  SeedRandom();  // same millisecond, most likely: the counter still moves the seed
  std::vector<int> second;
  for (int i = 0; i < 4; ++i) second.push_back(NextRandom15());
  EXPECT_NE(first, second);

  SeedRandom(1);
  std::thread other([] {
    SeedRandom(99);
    NextRandom15();
  });
  other.join();
  EXPECT_EQ(NextRandom15(), 41);  // the other thread's seeding did not touch ours
}

TEST(Random, ConcurrentClockSeedingsAreDistinct) {
  constexpr int kThreads = 8;
  std::vector<std::vector<int>> draws(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&draws, t] {
      SeedRandom();
      for (int i = 0; i < 3; ++i) draws[t].push_back(NextRandom15());
    });
  }
  for (auto& th : threads) th.join();
  std::set<std::vector<int>> distinct(draws.begin(), draws.end());
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kThreads));
}

}  // namespace
}  // namespace wordloom
