// The two ways the uniqueness report goes through the pairs of a batch (inside the report).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "report/shingles.h"
#include "report/uniqueness.h"

namespace wordloom::report::detail {

// The most similar pairs offered, at most `limit`, ordered most similar first and by
// position among equals.
class TopPairs {
 public:
  explicit TopPairs(std::size_t limit) : limit_(limit) {}
  void Offer(const SimilarPair& pair);
  std::vector<SimilarPair> Sorted() const;

 private:
  std::size_t limit_;
  std::vector<SimilarPair> heap_;  // the least similar on top
};

// True when x comes before y in the listing.
bool MoreSimilar(const SimilarPair& x, const SimilarPair& y);

// Every pair compared on the exact sets.
std::optional<UniquenessFigures> ExactFigures(const std::vector<std::vector<std::uint64_t>>& sets,
                                              int nearPercent, const std::atomic<bool>* cancel);

// Sampled pairs for the mean, locality-sensitive hashing for the most similar and the near
// pairs, exact measurement of fetched articles where a decision depends on it.
std::optional<UniquenessFigures> EstimatedFigures(const std::vector<Signature>& signatures,
                                                  int nearPercent, const ArticleFetch& fetch,
                                                  const std::atomic<bool>* cancel);

}  // namespace wordloom::report::detail
