// How alike the articles of a batch came out: the similarity of two articles is the
// Jaccard similarity of their 4-character shingle sets (report/shingles.h). A batch is
// summed up by the mean over all pairs, the most similar pair and the number of pairs at or
// above a threshold.
//
// Up to kExactLimit articles every pair is compared on the exact sets. Beyond that only a
// MinHash signature per article is kept (memory grows with the batch, never with its
// square): the mean comes from sampled pairs, the most similar pair and the near pairs from
// locality-sensitive hashing over the signatures, and pairs close to a decision are
// measured exactly on the articles fetched back.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/shingles.h"

namespace wordloom::report {

inline constexpr std::size_t kExactLimit = 2000;
inline constexpr std::size_t kListedPairs = 1000;
inline constexpr int kDefaultNearPercent = 80;

struct SimilarPair {
  std::size_t a = 0;  // 0-based positions in the batch, a < b
  std::size_t b = 0;
  double similarity = 0;
};

struct UniquenessFigures {
  std::size_t articles = 0;
  double mean = 0;  // 0 to 1
  double max = 0;
  std::size_t maxA = 0, maxB = 0;
  std::uint64_t nearPairs = 0;  // pairs at or above nearPercent
  int nearPercent = kDefaultNearPercent;
  bool estimated = false;  // beyond kExactLimit: sampled and hashed, not every pair
  // Near pairs, most similar first (ties by position), at most kListedPairs. Beyond
  // kExactLimit these are the near pairs found, not necessarily all.
  std::vector<SimilarPair> listed;
};

// "uniqueness: N articles, mean X.X%, max Y.Y% (articles A and B), K pairs at or above T%"
// with 1-based positions, or "uniqueness: N articles, no pairs" below two articles.
std::string UniquenessLine(const UniquenessFigures& figures);

// An article of the batch again, by its 0-based position (the file written, say); nothing
// when it cannot be had, and the pair then keeps its estimate.
using ArticleFetch = std::function<std::optional<std::string>(std::size_t)>;

class UniquenessReport {
 public:
  // `expected`: how many articles will come, when known; a batch larger than kExactLimit
  // keeps no sets from the start.
  explicit UniquenessReport(int nearPercent = kDefaultNearPercent, std::size_t expected = 0);

  // The next article of the batch (GBK).
  void Add(std::string_view article);
  std::size_t Count() const { return signatures_.size(); }

  // The figures of the articles added so far; nothing when `cancel` was set meanwhile.
  std::optional<UniquenessFigures> Finish(const ArticleFetch& fetch,
                                          const std::atomic<bool>* cancel = nullptr) const;

 private:
  int nearPercent_;
  bool keepSets_;
  std::size_t keptShingles_ = 0;
  std::vector<std::vector<std::uint64_t>> sets_;
  std::vector<Signature> signatures_;
};

}  // namespace wordloom::report
