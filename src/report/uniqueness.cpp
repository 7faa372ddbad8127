#include "report/uniqueness.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "report/pair_search.h"

namespace wordloom::report {
namespace {

// Beyond this many shingles in the kept sets (256 MiB) a batch is compared on signatures,
// whatever its size: articles of megabytes each would not fit otherwise.
constexpr std::size_t kMaxKeptShingles = std::size_t{32} << 20;

std::string Percent(double share) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f%%", share * 100.0);
  return buffer;
}

}  // namespace

std::string UniquenessLine(const UniquenessFigures& figures) {
  std::string line = "uniqueness: " + std::to_string(figures.articles) + " articles, ";
  if (figures.articles < 2) return line + "no pairs";
  line += "mean " + Percent(figures.mean) + ", max " + Percent(figures.max) + " (articles " +
          std::to_string(figures.maxA + 1) + " and " + std::to_string(figures.maxB + 1) + "), " +
          std::to_string(figures.nearPairs) + " pairs at or above " +
          std::to_string(figures.nearPercent) + "%";
  return line;
}

UniquenessReport::UniquenessReport(int nearPercent, std::size_t expected)
    : nearPercent_(std::clamp(nearPercent, 0, 100)), keepSets_(expected <= kExactLimit) {}

void UniquenessReport::Add(std::string_view article) {
  std::vector<std::uint64_t> shingles = ShingleRun(ComparedCharacters(article));
  signatures_.push_back(SignatureOf(shingles));
  if (signatures_.size() > kExactLimit) keepSets_ = false;
  if (keepSets_) {
    shingles = SortedSet(std::move(shingles));
    keptShingles_ += shingles.size();
    sets_.push_back(std::move(shingles));
    if (keptShingles_ > kMaxKeptShingles) keepSets_ = false;
  }
  if (!keepSets_ && !sets_.empty()) {
    sets_.clear();
    sets_.shrink_to_fit();
  }
}

std::optional<UniquenessFigures> UniquenessReport::Finish(const ArticleFetch& fetch,
                                                          const std::atomic<bool>* cancel) const {
  if (signatures_.size() < 2) {
    UniquenessFigures figures;
    figures.articles = signatures_.size();
    figures.nearPercent = nearPercent_;
    return figures;
  }
  if (keepSets_) return detail::ExactFigures(sets_, nearPercent_, cancel);
  return detail::EstimatedFigures(signatures_, nearPercent_, fetch, cancel);
}

namespace detail {

bool MoreSimilar(const SimilarPair& x, const SimilarPair& y) {
  if (x.similarity != y.similarity) return x.similarity > y.similarity;
  return x.a != y.a ? x.a < y.a : x.b < y.b;
}

void TopPairs::Offer(const SimilarPair& pair) {
  if (limit_ == 0) return;
  if (heap_.size() < limit_) {
    heap_.push_back(pair);
    std::push_heap(heap_.begin(), heap_.end(), MoreSimilar);
  } else if (MoreSimilar(pair, heap_.front())) {
    std::pop_heap(heap_.begin(), heap_.end(), MoreSimilar);
    heap_.back() = pair;
    std::push_heap(heap_.begin(), heap_.end(), MoreSimilar);
  }
}

std::vector<SimilarPair> TopPairs::Sorted() const {
  std::vector<SimilarPair> sorted = heap_;
  std::sort(sorted.begin(), sorted.end(), MoreSimilar);
  return sorted;
}

namespace {

struct Occurrence {
  std::uint64_t shingle;
  std::uint32_t article;
  bool operator<(const Occurrence& o) const {
    return shingle != o.shingle ? shingle < o.shingle : article < o.article;
  }
};

// Memory the frequent shingles' bit sets may take.
constexpr std::size_t kMaxBitSetBytes = std::size_t{256} << 20;

// Adds to common[j - i - 1] the bits that row i shares with each later row j. Built twice,
// with and without the processor's population count, which most machines have and the
// baseline instruction set lacks; the program picks one at start.
[[gnu::target_clones("popcnt", "default")]] void AddSharedBits(const std::uint64_t* bits,
                                                               std::size_t words, std::size_t n,
                                                               std::size_t i,
                                                               std::uint64_t* common) {
  const std::uint64_t* bi = bits + i * words;
  for (std::size_t j = i + 1; j < n; ++j) {
    const std::uint64_t* bj = bits + j * words;
    std::uint64_t shared = 0;
    for (std::size_t w = 0; w < words; ++w) shared += std::popcount(bi[w] & bj[w]);
    common[j - i - 1] += shared;
  }
}

}  // namespace

// The shared shingles of every pair, without merging every pair of sets: a shingle in one
// article only is shared by none; one in every article by all (a constant); one in a few
// articles adds one to each pair of them (counted from its list of articles); one in many
// articles is a bit in a per-article bit set, and a pair's count is the AND of two sets.
// Where "a few" ends is chosen from the batch, for the least work.
std::optional<UniquenessFigures> ExactFigures(const std::vector<std::vector<std::uint64_t>>& sets,
                                              int nearPercent, const std::atomic<bool>* cancel) {
  const std::size_t n = sets.size();
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  std::vector<Occurrence> occurrences;
  std::size_t total = 0;
  for (const auto& set : sets) total += set.size();
  occurrences.reserve(total);
  for (std::size_t i = 0; i < n; ++i)
    for (std::uint64_t s : sets[i]) occurrences.push_back({s, static_cast<std::uint32_t>(i)});
  std::sort(occurrences.begin(), occurrences.end());
  if (cancelled()) return std::nullopt;

  // Runs of one shingle: [begin, end) in `occurrences`.
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  for (std::size_t begin = 0; begin < occurrences.size();) {
    std::size_t end = begin + 1;
    while (end < occurrences.size() && occurrences[end].shingle == occurrences[begin].shingle)
      ++end;
    runs.emplace_back(begin, end);
    begin = end;
  }
  std::vector<std::uint64_t> withCount(n + 1, 0);  // shingles by the number of their articles
  for (const auto& [begin, end] : runs) ++withCount[end - begin];

  // Shingles in at least `split` articles (and not all) go into the bit sets.
  const std::uint64_t pairs = static_cast<std::uint64_t>(n) * (n - 1) / 2;
  std::size_t split = n;
  {
    std::uint64_t bitShingles = 0;  // shingles in [split, n)
    std::uint64_t listWork = 0;     // pair increments of the shingles in [2, split)
    for (std::size_t d = 2; d < n; ++d) listWork += withCount[d] * d * (d - 1) / 2;
    double best = 4.0 * static_cast<double>(listWork);
    for (std::size_t s = n - 1; s >= 2; --s) {
      bitShingles += withCount[s];
      listWork -= withCount[s] * s * (s - 1) / 2;
      const std::uint64_t words = (bitShingles + 63) / 64;
      if (words * 8 * n > kMaxBitSetBytes) break;
      const double cost = 4.0 * static_cast<double>(listWork) +
                          static_cast<double>(pairs) * static_cast<double>(words);
      if (cost < best) {
        best = cost;
        split = s;
      }
    }
  }

  std::uint64_t inAll = withCount[n];
  std::size_t bitCount = 0;
  for (std::size_t d = split; d < n; ++d) bitCount += withCount[d];
  const std::size_t words = (bitCount + 63) / 64;
  std::vector<std::uint64_t> bits(words * n, 0);
  std::vector<std::uint32_t> shared(pairs, 0);  // pair (i, j), i < j, row by row
  const auto rowStart = [n](std::size_t i) { return i * (2 * n - i - 1) / 2; };
  std::size_t nextBit = 0;
  for (const auto& [begin, end] : runs) {
    const std::size_t d = end - begin;
    if (d < 2 || d == n) continue;
    if (d >= split) {
      const std::size_t bit = nextBit++;
      for (std::size_t k = begin; k < end; ++k)
        bits[occurrences[k].article * words + bit / 64] |= std::uint64_t{1} << (bit % 64);
      continue;
    }
    for (std::size_t x = begin; x < end; ++x) {
      const std::size_t i = occurrences[x].article;
      const std::size_t base = rowStart(i) - i - 1;
      for (std::size_t y = x + 1; y < end; ++y) ++shared[base + occurrences[y].article];
    }
  }
  occurrences.clear();
  occurrences.shrink_to_fit();

  UniquenessFigures figures;
  figures.articles = n;
  figures.nearPercent = nearPercent;
  figures.max = -1;
  TopPairs listed(kListedPairs);
  double sum = 0;
  std::size_t k = 0;
  std::vector<std::uint64_t> row(n);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (cancelled()) return std::nullopt;
    for (std::size_t j = i + 1; j < n; ++j) row[j - i - 1] = inAll + shared[k + j - i - 1];
    if (words > 0) AddSharedBits(bits.data(), words, n, i, row.data());
    for (std::size_t j = i + 1; j < n; ++j, ++k) {
      const std::uint64_t common = row[j - i - 1];
      const Overlap overlap{common, sets[i].size() + sets[j].size() - common};
      const double similarity = overlap.Similarity();
      sum += similarity;
      if (similarity > figures.max) {
        figures.max = similarity;
        figures.maxA = i;
        figures.maxB = j;
      }
      if (overlap.AtLeast(nearPercent)) {
        ++figures.nearPairs;
        listed.Offer({i, j, similarity});
      }
    }
  }
  figures.mean = sum / static_cast<double>(pairs);
  figures.listed = listed.Sorted();
  return figures;
}

}  // namespace detail
}  // namespace wordloom::report
