#include "report/shingles.h"

#include <algorithm>

#include "services/encoding.h"

namespace wordloom::report {
namespace {

constexpr std::uint64_t kShortMark = std::uint64_t{0xFFFF} << 48;

bool IsWhiteSpace(char16_t c) {
  if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
  if (c < 0x85) return false;
  return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
         c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// A good 64-bit mix (splitmix64's finalizer): shingles of similar texts differ in few bits.
std::uint64_t Mix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// For each bin, the bin an empty one copies from at each attempt; the same for every
// article, so two articles with the same non-empty bins fill their empty bins alike.
struct Densification {
  static constexpr int kAttempts = 64;
  std::array<std::array<std::uint8_t, kAttempts>, kSignatureSize> source{};

  Densification() {
    for (std::size_t bin = 0; bin < kSignatureSize; ++bin) {
      for (int attempt = 0; attempt < kAttempts; ++attempt) {
        source[bin][static_cast<std::size_t>(attempt)] =
            static_cast<std::uint8_t>(Mix((bin << 16) | static_cast<std::size_t>(attempt)) >> 56);
      }
    }
  }
};

// Sorts by 8-bit digits, least significant first: for the few thousand shingles of an
// article several times faster than a comparison sort, which the report runs for every
// article it measures. A digit that is the same in every value is passed over.
void RadixSort(std::vector<std::uint64_t>& values) {
  if (values.size() < 64) {
    std::sort(values.begin(), values.end());
    return;
  }
  std::array<std::array<std::uint32_t, 256>, 8> counts{};
  for (std::uint64_t v : values)
    for (std::size_t d = 0; d < 8; ++d) ++counts[d][(v >> (8 * d)) & 0xFF];
  std::vector<std::uint64_t> other(values.size());
  for (std::size_t d = 0; d < 8; ++d) {
    const std::size_t shift = 8 * d;
    if (counts[d][(values[0] >> shift) & 0xFF] == values.size()) continue;
    std::array<std::uint32_t, 256> start{};
    for (std::size_t b = 1; b < 256; ++b) start[b] = start[b - 1] + counts[d][b - 1];
    for (std::uint64_t v : values) other[start[(v >> shift) & 0xFF]++] = v;
    values.swap(other);
  }
}

}  // namespace

std::u16string ComparedCharacters(std::string_view gbk) {
  std::u16string characters = DecodeGbk(gbk);
  characters.erase(std::remove_if(characters.begin(), characters.end(), IsWhiteSpace),
                   characters.end());
  return characters;
}

std::vector<std::uint64_t> ShingleRun(std::u16string_view characters) {
  std::vector<std::uint64_t> run;
  if (characters.size() < 4) {
    std::uint64_t packed = 0;
    for (std::size_t i = 0; i < 3; ++i)
      packed = (packed << 16) | (i < characters.size() ? characters[i] : 0u);
    run.push_back(kShortMark | packed);
    return run;
  }
  run.reserve(characters.size() - 3);
  std::uint64_t window = 0;
  for (std::size_t i = 0; i < characters.size(); ++i) {
    window = (window << 16) | characters[i];
    if (i >= 3) run.push_back(window);
  }
  return run;
}

std::vector<std::uint64_t> SortedSet(std::vector<std::uint64_t> run) {
  RadixSort(run);
  run.erase(std::unique(run.begin(), run.end()), run.end());
  run.shrink_to_fit();
  return run;
}

std::vector<std::uint64_t> Shingles(std::string_view gbk) {
  return SortedSet(ShingleRun(ComparedCharacters(gbk)));
}

Overlap Compare(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b) {
  std::size_t i = 0, j = 0, common = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i] < b[j]) {
      ++i;
    } else if (b[j] < a[i]) {
      ++j;
    } else {
      ++common;
      ++i;
      ++j;
    }
  }
  return {common, a.size() + b.size() - common};
}

Signature SignatureOf(std::span<const std::uint64_t> shingles) {
  static const Densification densification;
  std::array<std::uint32_t, kSignatureSize> minimum;
  minimum.fill(UINT32_MAX);
  std::array<bool, kSignatureSize> filled{};
  for (std::uint64_t shingle : shingles) {
    const std::uint64_t h = Mix(shingle);
    const std::size_t bin = static_cast<std::size_t>(h >> 56);
    const auto value = static_cast<std::uint32_t>(h);
    minimum[bin] = std::min(minimum[bin], value);
    filled[bin] = true;
  }
  Signature signature{};
  for (std::size_t bin = 0; bin < kSignatureSize; ++bin) {
    std::size_t from = bin;
    // A non-empty bin comes up within a few attempts unless the text is tiny; the sequence
    // goes on as long as needed (a text has at least one shingle).
    for (std::uint64_t attempt = 0; !filled[from]; ++attempt) {
      from = attempt < Densification::kAttempts
                 ? densification.source[bin][static_cast<std::size_t>(attempt)]
                 : static_cast<std::size_t>(Mix((bin << 16) | attempt) >> 56);
    }
    signature[bin] = static_cast<std::uint8_t>(minimum[from]);
  }
  return signature;
}

std::size_t AgreeingBins(const Signature& a, const Signature& b) {
  std::size_t agree = 0;
  for (std::size_t i = 0; i < kSignatureSize; ++i) agree += a[i] == b[i];
  return agree;
}

double EstimatedSimilarity(std::size_t agreeingBins) {
  const double chance = 1.0 / 256.0;
  const double p = static_cast<double>(agreeingBins) / static_cast<double>(kSignatureSize);
  return std::clamp((p - chance) / (1.0 - chance), 0.0, 1.0);
}

}  // namespace wordloom::report
