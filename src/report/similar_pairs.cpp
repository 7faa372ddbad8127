// The uniqueness report of a large batch, from one MinHash signature per article.
//
// Locality-sensitive hashing: the signature is cut into bands of r bins; two articles whose
// bins agree in a whole band land in the same bucket of that band and become a candidate
// pair. A pair of similarity J is a candidate with the chance 1 - (1 - J^r)^(256 / r), so
// r sets the similarity from which pairs are found. How many candidates a band size gives
// is estimated from sampled pairs first: when they are few enough they are visited one by
// one; otherwise (a batch of near-copies, say) candidates are sampled in proportion to the
// buckets and counted, never listed.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <unordered_map>

#include "report/pair_search.h"

namespace wordloom::report::detail {
namespace {

constexpr std::size_t kMeanSamples = 200000;
// Of them, measured exactly when the articles can be fetched, to correct the mean of the
// estimates: one hash function errs alike for all pairs of a batch made from few sentences
// (about one point there), which no number of estimated pairs averages out. The correction
// (exact minus estimate on these pairs) varies little from pair to pair, so a small sample
// fixes it closely whatever the spread of the similarities.
constexpr std::size_t kMeasuredMeanPairs = 2000;
constexpr std::size_t kLevelSamples = 50000;  // of the mean's samples, for the band sizes
constexpr double kVisitBudget = 8e6;          // candidate pairs, counted once per band
constexpr std::size_t kDenseSamples = 20000;
constexpr std::size_t kMaxCandidates = 32;  // pairs measured exactly for the maximum
constexpr double kWindow = 0.1;             // over 3 standard deviations of an estimate
constexpr double kRecall = 0.99;            // of pairs right at the threshold
constexpr int kBandRows[] = {1, 2, 3, 4, 5, 6, 8, 10, 12, 16, 21, 32};
constexpr int kMaxSearchFrom = 3;  // the maximum is looked for with bands of 3 bins or more

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(); }

std::size_t Bands(int rows) { return kSignatureSize / static_cast<std::size_t>(rows); }

double Recall(double similarity, int rows) {
  return 1.0 - std::pow(1.0 - std::pow(similarity, rows), static_cast<double>(Bands(rows)));
}

// Which bins of two signatures agree: one bit a bin.
struct Agreement {
  std::array<std::uint64_t, kSignatureSize / 64> bits{};
  std::size_t count = 0;

  bool AllAgree(std::size_t start, std::size_t length) const {
    while (length > 0) {
      const std::size_t offset = start % 64;
      const std::size_t take = std::min<std::size_t>(length, 64 - offset);
      const std::uint64_t mask = (take == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << take) - 1))
                                 << offset;
      if ((bits[start / 64] & mask) != mask) return false;
      start += take;
      length -= take;
    }
    return true;
  }
  bool BandAgrees(int rows, std::size_t band) const {
    return AllAgree(band * static_cast<std::size_t>(rows), static_cast<std::size_t>(rows));
  }
  std::size_t AgreeingBands(int rows) const {
    if (rows == 1) return count;
    std::size_t n = 0;
    for (std::size_t band = 0; band < Bands(rows); ++band) n += BandAgrees(rows, band);
    return n;
  }
  double Estimate() const { return EstimatedSimilarity(count); }
};

Agreement Agree(const Signature& a, const Signature& b) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  Agreement agreement;
  for (std::size_t w = 0; w < kSignatureSize / 8; ++w) {
    std::uint64_t x, y;
    std::memcpy(&x, a.data() + 8 * w, 8);
    std::memcpy(&y, b.data() + 8 * w, 8);
    const std::uint64_t z = x ^ y;
    // 0x80 in every byte that is zero, then those eight bits gathered into one byte.
    const std::uint64_t zero = ~((((z & kLow7) + kLow7) | z) | kLow7);
    const std::uint64_t flags = ((zero >> 7) * 0x0102040810204080ull) >> 56;
    agreement.bits[w / 8] |= flags << (8 * (w % 8));
  }
  for (std::uint64_t word : agreement.bits) agreement.count += std::popcount(word);
  return agreement;
}

std::uint64_t Mix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t BandKey(const Signature& signature, int rows, std::size_t band) {
  const std::uint8_t* bytes = signature.data() + band * static_cast<std::size_t>(rows);
  std::uint64_t key = static_cast<std::uint64_t>(rows);
  for (int done = 0; done < rows; done += 8) {
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, bytes + done, static_cast<std::size_t>(std::min(8, rows - done)));
    key = Mix(key ^ chunk);
  }
  return key;
}

// The buckets of one band: articles sorted by their band key, and where each bucket of two
// or more begins and ends.
struct Buckets {
  std::vector<std::uint32_t> articles;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;  // [begin, end)
};

Buckets BucketsOf(const std::vector<Signature>& signatures, int rows, std::size_t band) {
  std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed(signatures.size());
  for (std::size_t i = 0; i < signatures.size(); ++i)
    keyed[i] = {BandKey(signatures[i], rows, band), static_cast<std::uint32_t>(i)};
  std::sort(keyed.begin(), keyed.end());
  Buckets buckets;
  buckets.articles.resize(keyed.size());
  for (std::size_t i = 0; i < keyed.size(); ++i) buckets.articles[i] = keyed[i].second;
  for (std::size_t begin = 0; begin < keyed.size();) {
    std::size_t end = begin + 1;
    while (end < keyed.size() && keyed[end].first == keyed[begin].first) ++end;
    if (end - begin >= 2)
      buckets.ranges.emplace_back(static_cast<std::uint32_t>(begin),
                                  static_cast<std::uint32_t>(end));
    begin = end;
  }
  return buckets;
}

std::uint64_t PairsIn(std::uint64_t m) { return m * (m - 1) / 2; }

// Shingle sets of fetched articles, kept while they are likely to be asked for again.
class ExactSets {
 public:
  explicit ExactSets(const ArticleFetch& fetch) : fetch_(fetch) {}

  std::optional<Overlap> Measure(std::size_t a, std::size_t b) {
    // Emptied before, never between, the two look-ups: the first set must stay.
    if (sets_.size() + 2 > kKept) sets_.clear();
    const std::vector<std::uint64_t>* x = Get(a);
    const std::vector<std::uint64_t>* y = x != nullptr ? Get(b) : nullptr;
    if (x == nullptr || y == nullptr) return std::nullopt;
    return Compare(*x, *y);
  }

 private:
  static constexpr std::size_t kKept = 4096;

  const std::vector<std::uint64_t>* Get(std::size_t article) {
    auto it = sets_.find(article);
    if (it != sets_.end()) return it->second ? &*it->second : nullptr;
    std::optional<std::vector<std::uint64_t>> set;
    if (fetch_) {
      if (std::optional<std::string> text = fetch_(article)) set = Shingles(*text);
    }
    auto& slot = sets_[article] = std::move(set);
    return slot ? &*slot : nullptr;
  }

  const ArticleFetch& fetch_;
  std::unordered_map<std::size_t, std::optional<std::vector<std::uint64_t>>> sets_;
};

// The chance that a pair whose estimate is `estimate` is at or above the threshold: the
// estimate's spread (256 bins) and the error all pairs of a batch share, as a normal curve.
double NearChance(double estimate, double threshold) {
  const double spread =
      std::sqrt(std::max(estimate * (1 - estimate), 0.0025) / kSignatureSize) + 0.012;
  return std::max(1e-3, 0.5 * std::erfc((threshold - estimate) / (spread * std::sqrt(2.0))));
}

// Pairs too close to the threshold to call on their estimates, of which only a few
// thousand can be measured. The most likely near ones (the highest estimates) are all
// measured. Of the others a priority sample is measured (each pair's priority is its
// weight times its near chance, over a uniform draw): the likely ones are kept almost
// surely and the unlikely ones rarely, and each kept pair, counted for the pairs it stands
// for, sums up the near ones without bias.
class WindowSample {
 public:
  struct Kept {
    SimilarPair pair;
    double weight;    // the pairs the visit stands for
    double sampling;  // weight times near chance
    double priority;  // sampling weight over a uniform draw
  };

  void Offer(const SimilarPair& pair, double weight, double chance, std::mt19937_64& random) {
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(random);
    Kept kept{pair, weight, weight * chance, weight * chance / std::max(u, 1e-300)};
    // The highest estimates first; a pair pushed out of them goes to the priority sample.
    const auto higher = [](const Kept& x, const Kept& y) { return MoreSimilar(x.pair, y.pair); };
    if (top_.size() < kTopChecks) {
      top_.push_back(kept);
      std::push_heap(top_.begin(), top_.end(), higher);
      return;
    }
    if (higher(kept, top_.front())) {
      std::pop_heap(top_.begin(), top_.end(), higher);
      std::swap(kept, top_.back());
      std::push_heap(top_.begin(), top_.end(), higher);
    }
    Sample(kept);
  }

  // The pairs to measure, each with the number of pairs it counts for when near.
  std::vector<std::pair<SimilarPair, double>> ToMeasure() const {
    std::vector<std::pair<SimilarPair, double>> pairs;
    for (const Kept& kept : top_) pairs.emplace_back(kept.pair, kept.weight);
    for (const Kept& kept : sample_) {
      const double inclusion = threshold_ > 0 ? std::min(1.0, kept.sampling / threshold_) : 1.0;
      pairs.emplace_back(kept.pair, kept.weight / inclusion);
    }
    return pairs;
  }

 private:
  static constexpr std::size_t kTopChecks = 6000;
  static constexpr std::size_t kSampleChecks = 3000;

  void Sample(const Kept& kept) {
    const auto lower = [](const Kept& x, const Kept& y) { return x.priority > y.priority; };
    if (sample_.size() < kSampleChecks) {
      sample_.push_back(kept);
      std::push_heap(sample_.begin(), sample_.end(), lower);
      return;
    }
    if (kept.priority <= sample_.front().priority) {
      threshold_ = std::max(threshold_, kept.priority);
      return;
    }
    threshold_ = std::max(threshold_, sample_.front().priority);
    std::pop_heap(sample_.begin(), sample_.end(), lower);
    sample_.back() = kept;
    std::push_heap(sample_.begin(), sample_.end(), lower);
  }

  std::vector<Kept> top_;     // a heap, the lowest estimate on top
  std::vector<Kept> sample_;  // a heap, the lowest priority on top
  double threshold_ = 0;      // the highest priority that was not kept
};

// What the visits of candidate pairs add up to.
struct Tally {
  explicit Tally(int nearPercent) : threshold(nearPercent / 100.0) {}

  double threshold;
  TopPairs maxCandidates{kMaxCandidates};
  TopPairs listCandidates{kListedPairs};  // by estimate, within the window or above
  double nearSure = 0;                    // weight of pairs clearly at or above
  WindowSample window;

  void Visit(std::size_t a, std::size_t b, double estimate, double weight, bool counting,
             std::mt19937_64& random) {
    const SimilarPair pair{a, b, estimate};
    maxCandidates.Offer(pair);
    if (!counting) return;
    if (estimate >= threshold + kWindow) {
      nearSure += weight;
    } else if (estimate >= threshold - kWindow) {
      window.Offer(pair, weight, NearChance(estimate, threshold), random);
    } else {
      return;
    }
    listCandidates.Offer(pair);
  }
};

// Visits each candidate pair of the band size once, at the first band where it agrees.
// False, with the tally left as it was, when there turn out to be far more candidates than
// the estimate said.
bool VisitCandidates(const std::vector<Signature>& signatures, int rows, bool counting,
                     Tally& tally, std::mt19937_64& random, const std::atomic<bool>* cancel) {
  Tally visited = tally;
  double occurrences = 0;
  for (std::size_t band = 0; band < Bands(rows); ++band) {
    if (Cancelled(cancel)) return false;
    const Buckets buckets = BucketsOf(signatures, rows, band);
    for (const auto& [begin, end] : buckets.ranges) {
      occurrences += static_cast<double>(PairsIn(end - begin));
      if (occurrences > 3 * kVisitBudget) return false;
      for (std::uint32_t x = begin; x < end; ++x) {
        for (std::uint32_t y = x + 1; y < end; ++y) {
          std::size_t a = buckets.articles[x], b = buckets.articles[y];
          if (a > b) std::swap(a, b);
          const Agreement agreement = Agree(signatures[a], signatures[b]);
          bool earlier = false;
          for (std::size_t e = 0; e < band && !earlier; ++e)
            earlier = agreement.BandAgrees(rows, e);
          if (!earlier) visited.Visit(a, b, agreement.Estimate(), 1.0, counting, random);
        }
      }
    }
  }
  tally = std::move(visited);
  return true;
}

// Samples candidate pairs in proportion to how often they occur in the buckets; each counts
// for the candidates it stands for, divided by the bands it occurs in.
bool SampleCandidates(const std::vector<Signature>& signatures, int rows, bool counting,
                      Tally& tally, std::mt19937_64& random, const std::atomic<bool>* cancel) {
  std::vector<double> bandWeights;
  double total = 0;
  for (std::size_t band = 0; band < Bands(rows); ++band) {
    if (Cancelled(cancel)) return false;
    double weight = 0;
    for (const auto& [begin, end] : BucketsOf(signatures, rows, band).ranges)
      weight += static_cast<double>(PairsIn(end - begin));
    bandWeights.push_back(weight);
    total += weight;
  }
  if (total == 0) return true;
  std::vector<double> positions(kDenseSamples);
  std::uniform_real_distribution<double> uniform(0.0, total);
  for (double& p : positions) p = uniform(random);
  std::sort(positions.begin(), positions.end());
  const double perSample = total / static_cast<double>(kDenseSamples);
  std::size_t next = 0;
  double start = 0;
  for (std::size_t band = 0; band < Bands(rows) && next < positions.size(); ++band) {
    if (Cancelled(cancel)) return false;
    if (positions[next] >= start + bandWeights[band]) {
      start += bandWeights[band];
      continue;
    }
    const Buckets buckets = BucketsOf(signatures, rows, band);
    for (const auto& [begin, end] : buckets.ranges) {
      const double weight = static_cast<double>(PairsIn(end - begin));
      while (next < positions.size() && positions[next] < start + weight) {
        const std::uint32_t m = end - begin;
        const std::uint32_t x = begin + static_cast<std::uint32_t>(random() % m);
        std::uint32_t y = begin + static_cast<std::uint32_t>(random() % (m - 1));
        if (y >= x) ++y;
        std::size_t a = buckets.articles[x], b = buckets.articles[y];
        if (a > b) std::swap(a, b);
        const Agreement agreement = Agree(signatures[a], signatures[b]);
        const double bands =
            static_cast<double>(std::max<std::size_t>(1, agreement.AgreeingBands(rows)));
        tally.Visit(a, b, agreement.Estimate(), perSample / bands, counting, random);
        ++next;
      }
      start += weight;
    }
  }
  return true;
}

}  // namespace

std::optional<UniquenessFigures> EstimatedFigures(const std::vector<Signature>& signatures,
                                                  int nearPercent, const ArticleFetch& fetch,
                                                  const std::atomic<bool>* cancel) {
  const std::size_t n = signatures.size();
  const double pairs = static_cast<double>(n) * static_cast<double>(n - 1) / 2;
  std::mt19937_64 random(0x5EEDF00Dull);
  Tally tally(nearPercent);

  // The mean over sampled pairs; the same pairs tell how many candidates each band size
  // would give.
  double sum = 0;
  std::vector<SimilarPair> meanPairs;  // with their estimates
  std::array<double, std::size(kBandRows)> agreeingBands{};
  std::uniform_int_distribution<std::size_t> first(0, n - 1), second(0, n - 2);
  for (std::size_t s = 0; s < kMeanSamples; ++s) {
    if (s % 4096 == 0 && Cancelled(cancel)) return std::nullopt;
    std::size_t a = first(random), b = second(random);
    if (b >= a) ++b;
    if (a > b) std::swap(a, b);
    const Agreement agreement = Agree(signatures[a], signatures[b]);
    sum += agreement.Estimate();
    if (meanPairs.size() < kMeasuredMeanPairs) meanPairs.push_back({a, b, agreement.Estimate()});
    tally.maxCandidates.Offer({a, b, agreement.Estimate()});
    if (s < kLevelSamples) {
      for (std::size_t level = 0; level < std::size(kBandRows); ++level)
        agreeingBands[level] += static_cast<double>(agreement.AgreeingBands(kBandRows[level]));
    }
  }
  const auto candidates = [&](std::size_t level) {
    return pairs * agreeingBands[level] /
           static_cast<double>(std::min(kMeanSamples, kLevelSamples));
  };

  // The band size for the maximum: the widest net that stays affordable.
  std::size_t maxLevel = std::size(kBandRows) - 1;
  for (std::size_t level = 0; level < std::size(kBandRows); ++level) {
    if (kBandRows[level] >= kMaxSearchFrom && candidates(level) <= kVisitBudget) {
      maxLevel = level;
      break;
    }
  }
  // The band size for the near pairs: the narrowest that still finds almost every pair at
  // the threshold.
  std::size_t nearLevel = 0;
  for (std::size_t level = 0; level < std::size(kBandRows); ++level)
    if (Recall(nearPercent / 100.0, kBandRows[level]) >= kRecall) nearLevel = level;

  const auto search = [&](std::size_t level, bool counting) {
    const int rows = kBandRows[level];
    if (candidates(level) <= kVisitBudget &&
        VisitCandidates(signatures, rows, counting, tally, random, cancel)) {
      return true;
    }
    return !Cancelled(cancel) &&
           SampleCandidates(signatures, rows, counting, tally, random, cancel);
  };
  const bool everyPairNear = nearPercent == 0;
  if (!everyPairNear && !search(nearLevel, true)) return std::nullopt;
  if ((everyPairNear || maxLevel != nearLevel) && !search(maxLevel, false)) return std::nullopt;

  ExactSets exact(fetch);
  UniquenessFigures figures;
  figures.articles = n;
  figures.nearPercent = nearPercent;
  figures.estimated = true;
  figures.mean = sum / static_cast<double>(kMeanSamples);
  double correction = 0;
  std::size_t corrected = 0;
  for (const SimilarPair& pair : meanPairs) {
    if (corrected % 256 == 0 && Cancelled(cancel)) return std::nullopt;
    const std::optional<Overlap> overlap = exact.Measure(pair.a, pair.b);
    if (!overlap) break;
    correction += overlap->Similarity() - pair.similarity;
    ++corrected;
  }
  if (corrected == meanPairs.size()) {
    figures.mean = std::clamp(figures.mean + correction / static_cast<double>(corrected), 0.0, 1.0);
  }

  // The window's pairs kept for measuring, each counting for the pairs it stands for.
  double near = tally.nearSure;
  for (const auto& [pair, countsFor] : tally.window.ToMeasure()) {
    if (Cancelled(cancel)) return std::nullopt;
    const std::optional<Overlap> overlap = exact.Measure(pair.a, pair.b);
    if (overlap ? overlap->AtLeast(nearPercent) : pair.similarity >= tally.threshold)
      near += countsFor;
  }
  figures.nearPairs = everyPairNear
                          ? static_cast<std::uint64_t>(pairs)
                          : static_cast<std::uint64_t>(std::llround(std::min(near, pairs)));

  // The listed near pairs and the most similar pair, measured exactly where the articles
  // can be had.
  TopPairs listed(kListedPairs);
  SimilarPair best{0, 1, -1};
  std::set<std::pair<std::size_t, std::size_t>> measured;
  const auto measure = [&](SimilarPair pair) {
    if (!measured.emplace(pair.a, pair.b).second) return;
    if (const std::optional<Overlap> overlap = exact.Measure(pair.a, pair.b)) {
      pair.similarity = overlap->Similarity();
      if (overlap->AtLeast(nearPercent)) listed.Offer(pair);
    } else if (pair.similarity >= tally.threshold) {
      listed.Offer(pair);
    }
    if (MoreSimilar(pair, best)) best = pair;
  };
  for (const SimilarPair& pair : tally.listCandidates.Sorted()) {
    if (Cancelled(cancel)) return std::nullopt;
    measure(pair);
  }
  for (const SimilarPair& pair : tally.maxCandidates.Sorted()) measure(pair);
  figures.max = std::max(0.0, best.similarity);
  figures.maxA = best.a;
  figures.maxB = best.b;
  figures.listed = listed.Sorted();
  return figures;
}

}  // namespace wordloom::report::detail
