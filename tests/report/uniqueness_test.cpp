// The uniqueness report: shingles, the exact figures against a plain reference, and the
// estimated figures of large batches against the exact ones.
#include "report/uniqueness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "report/pair_search.h"
#include "support/temp_store.h"

namespace wordloom::report {
namespace {

using testing::G;

// A random text of `chars` GB2312 characters (every one of them defined in code page 936).
std::string RandomChinese(std::mt19937& random, int chars) {
  std::string text;
  for (int i = 0; i < chars; ++i) {
    text.push_back(static_cast<char>(0xB0 + random() % 39));
    text.push_back(static_cast<char>(0xA1 + random() % 94));
  }
  return text;
}

// The figures by the definition: every pair's sets intersected with std::set.
UniquenessFigures Reference(const std::vector<std::string>& articles, int nearPercent) {
  std::vector<std::set<std::uint64_t>> sets;
  for (const std::string& a : articles) {
    const std::vector<std::uint64_t> run = ShingleRun(ComparedCharacters(a));
    sets.emplace_back(run.begin(), run.end());
  }
  UniquenessFigures f;
  f.articles = articles.size();
  f.max = -1;
  double sum = 0;
  for (std::size_t i = 0; i < sets.size(); ++i) {
    for (std::size_t j = i + 1; j < sets.size(); ++j) {
      std::size_t common = 0;
      for (std::uint64_t s : sets[i]) common += sets[j].count(s);
      const std::size_t either = sets[i].size() + sets[j].size() - common;
      const double similarity = static_cast<double>(common) / static_cast<double>(either);
      sum += similarity;
      if (similarity > f.max) {
        f.max = similarity;
        f.maxA = i;
        f.maxB = j;
      }
      if (common * 100 >= static_cast<std::size_t>(nearPercent) * either) ++f.nearPairs;
    }
  }
  f.mean = sum / static_cast<double>(sets.size() * (sets.size() - 1) / 2);
  return f;
}

UniquenessFigures Report(const std::vector<std::string>& articles, int nearPercent = 80) {
  UniquenessReport report(nearPercent, articles.size());
  for (const std::string& a : articles) report.Add(a);
  std::optional<UniquenessFigures> figures =
      report.Finish([&](std::size_t i) { return std::optional<std::string>(articles.at(i)); });
  EXPECT_TRUE(figures.has_value());
  return figures.value_or(UniquenessFigures{});
}

// Articles as a generator makes them: a fixed frame, sentences drawn from a pool.
std::vector<std::string> TemplateLikeBatch(std::size_t n, std::size_t pool, int sentences,
                                           unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> pool_;
  for (std::size_t i = 0; i < pool; ++i) pool_.push_back(RandomChinese(random, 12));
  const std::string frame = RandomChinese(random, 20);
  std::vector<std::string> batch;
  for (std::size_t i = 0; i < n; ++i) {
    std::string article = "<h1>" + frame + "</h1>\r\n";
    for (int s = 0; s < sentences; ++s) article += "<p>" + pool_[random() % pool] + "</p>\r\n";
    batch.push_back(article);
  }
  return batch;
}

TEST(Shingles, LeaveOutWhiteSpaceKeepMarkupAndCountCharactersNotBytes) {
  // Line breaks, tabs, spaces and the ideographic space go; "<p>" stays.
  EXPECT_EQ(Shingles(G("<p>春 天\r\n来\t了　</p>")), Shingles(G("<p>春天来了</p>")));
  EXPECT_NE(Shingles(G("<p>春天来了</p>")), Shingles(G("春天来了")));
  // Four characters of two bytes each are one shingle; a shorter text is one shingle too.
  EXPECT_EQ(Shingles(G("春天来了")).size(), 1u);
  EXPECT_EQ(Shingles(G("春天来了吗")).size(), 2u);
  EXPECT_EQ(Shingles(G("春天")).size(), 1u);
  EXPECT_EQ(Shingles("").size(), 1u);
  EXPECT_NE(Shingles(G("春天")), Shingles(G("春天来")));
  // Repeats count once: "abcabcabc" has the shingles abca, bcab, cabc.
  EXPECT_EQ(Shingles("abcabcabc").size(), 3u);
  // A short text never equals a shingle of a longer one.
  EXPECT_EQ(Compare(Shingles("abc"), Shingles("abcd")).common, 0u);
}

TEST(UniquenessLine, SaysNoPairsBelowTwoArticles) {
  EXPECT_EQ(UniquenessLine(Report({})), "uniqueness: 0 articles, no pairs");
  EXPECT_EQ(UniquenessLine(Report({"only one"})), "uniqueness: 1 articles, no pairs");
  EXPECT_EQ(UniquenessLine(Report({"abcdefgh", "abcdefgh", "zyxwvuts"})),
            "uniqueness: 3 articles, mean 33.3%, max 100.0% (articles 1 and 2), 1 pairs at or "
            "above 80%");
}

TEST(ExactFigures, IdenticalArticlesAreAllAlikeAndDisjointOnesNot) {
  std::mt19937 random(5);
  const std::string text = RandomChinese(random, 300);
  const UniquenessFigures same = Report(std::vector<std::string>(40, text));
  EXPECT_EQ(same.mean, 1.0);
  EXPECT_EQ(same.max, 1.0);
  EXPECT_EQ(same.nearPairs, 40u * 39 / 2);
  EXPECT_EQ(same.listed.size(), 780u);
  EXPECT_EQ(same.listed.front().a, 0u);
  EXPECT_EQ(same.listed.front().b, 1u);

  std::vector<std::string> disjoint;
  for (int i = 0; i < 40; ++i) disjoint.push_back(std::string(10, static_cast<char>('A' + i)));
  const UniquenessFigures apart = Report(disjoint);
  EXPECT_EQ(apart.mean, 0.0);
  EXPECT_EQ(apart.max, 0.0);
  EXPECT_EQ(apart.nearPairs, 0u);
  EXPECT_TRUE(apart.listed.empty());
}

TEST(ExactFigures, AgreeWithThePlainDefinition) {
  // Pools from tiny (each sentence in most articles) to large (in few): the shingles fall
  // on both sides of the split between pair lists and bit sets.
  for (std::size_t pool : {3u, 12u, 60u, 400u}) {
    const std::vector<std::string> batch = TemplateLikeBatch(90, pool, 6, 100 + pool);
    for (int near : {0, 30, 80, 100}) {
      const UniquenessFigures got = Report(batch, near);
      const UniquenessFigures want = Reference(batch, near);
      EXPECT_NEAR(got.mean, want.mean, 1e-12) << pool;
      EXPECT_EQ(got.max, want.max) << pool;
      EXPECT_EQ(got.maxA, want.maxA) << pool;
      EXPECT_EQ(got.maxB, want.maxB) << pool;
      EXPECT_EQ(got.nearPairs, want.nearPairs) << pool << " " << near;
      EXPECT_EQ(got.listed.size(), std::min<std::uint64_t>(want.nearPairs, kListedPairs));
      EXPECT_TRUE(std::is_sorted(got.listed.begin(), got.listed.end(), detail::MoreSimilar));
      EXPECT_FALSE(got.estimated);
    }
  }
}

TEST(ExactFigures, StopWhenCancelled) {
  UniquenessReport report;
  report.Add("abcdef");
  report.Add("abcdeg");
  std::atomic<bool> cancel{true};
  EXPECT_FALSE(report.Finish({}, &cancel).has_value());
}

// Above the exact limit, the estimates against the exact figures of the same batch.
void ExpectClose(const std::vector<std::string>& batch, std::initializer_list<int> thresholds) {
  ASSERT_GT(batch.size(), kExactLimit);
  std::vector<std::vector<std::uint64_t>> sets;
  for (const std::string& a : batch) sets.push_back(Shingles(a));
  for (int nearPercent : thresholds) {
    const UniquenessFigures exact = *detail::ExactFigures(sets, nearPercent, nullptr);
    const UniquenessFigures estimate = Report(batch, nearPercent);
    EXPECT_TRUE(estimate.estimated);
    EXPECT_NEAR(estimate.mean, exact.mean, 0.02);
    if (exact.max >= 0.5) {
      EXPECT_NEAR(estimate.max, exact.max, 0.02);
    }
    EXPECT_LE(estimate.max, exact.max) << "the maximum is measured, never an estimate";
    EXPECT_NEAR(static_cast<double>(estimate.nearPairs), static_cast<double>(exact.nearPairs),
                0.1 * static_cast<double>(exact.nearPairs) + 0.5)
        << "exact " << exact.nearPairs;
    EXPECT_TRUE(
        std::is_sorted(estimate.listed.begin(), estimate.listed.end(), detail::MoreSimilar));
    for (const SimilarPair& pair : estimate.listed) {
      EXPECT_GE(Compare(sets[pair.a], sets[pair.b]).Similarity(), nearPercent / 100.0);
    }
  }
}

TEST(EstimatedFigures, IdenticalAndDisjointBatches) {
  std::mt19937 random(9);
  const std::size_t n = kExactLimit + 50;
  std::vector<std::string> same(n, RandomChinese(random, 200));
  const UniquenessFigures identical = Report(same);
  EXPECT_EQ(identical.mean, 1.0);
  EXPECT_EQ(identical.max, 1.0);
  EXPECT_EQ(identical.nearPairs, n * (n - 1) / 2);

  std::vector<std::string> apart;
  for (std::size_t i = 0; i < n; ++i) apart.push_back(RandomChinese(random, 200));
  ExpectClose(apart, {80});
}

TEST(EstimatedFigures, FollowTheExactFiguresOnGeneratedBatches) {
  // Sentences shared widely: pairs spread around 20-50%, with planted near-copies.
  std::vector<std::string> batch = TemplateLikeBatch(kExactLimit + 100, 40, 10, 21);
  std::mt19937 random(4);
  for (std::size_t k = 0; k < 150; ++k) {
    std::string copy = batch[random() % batch.size()];
    copy.replace(copy.size() / 2, 20, RandomChinese(random, 10));  // about 90% alike
    batch[random() % batch.size()] = copy;
  }
  ExpectClose(batch, {80, 40});
  // A batch of many near pairs right around the threshold.
  ExpectClose(TemplateLikeBatch(kExactLimit + 50, 5, 6, 8), {80});
}

}  // namespace
}  // namespace wordloom::report
