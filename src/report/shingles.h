// What the uniqueness report compares: an article's set of 4-character shingles, exactly
// or through a MinHash signature.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom::report {

// The article's characters as the comparison sees them: GBK decoded (code page 936 holds
// only characters of the basic plane, one UTF-16 unit each), white space left out (line
// breaks, tabs, U+3000 and the other Unicode spaces); markup stays.
std::u16string ComparedCharacters(std::string_view gbk);

// Every run of four consecutive characters packed into 64 bits, 16 bits a character, in
// text order and with repeats. A text of fewer than four characters is one shingle, marked
// with U+FFFF (never a character of a decoded text) in the top 16 bits.
std::vector<std::uint64_t> ShingleRun(std::u16string_view characters);

// The article's shingle set: ShingleRun of ComparedCharacters, sorted, without repeats.
std::vector<std::uint64_t> Shingles(std::string_view gbk);
// A run of shingles as a set: sorted, without repeats.
std::vector<std::uint64_t> SortedSet(std::vector<std::uint64_t> run);

// Two shingle sets side by side: shared shingles and shingles in either.
struct Overlap {
  std::uint64_t common = 0;
  std::uint64_t either = 0;

  double Similarity() const {
    return either == 0 ? 1.0 : static_cast<double>(common) / static_cast<double>(either);
  }
  // Exactly, without rounding: common / either >= percent / 100.
  bool AtLeast(int percent) const {
    return common * 100 >= static_cast<std::uint64_t>(percent) * either;
  }
};
Overlap Compare(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b);

// A MinHash signature: one permutation hashing into kSignatureSize bins with optimal
// densification (an empty bin copies a non-empty bin chosen by a fixed sequence, the same
// for every article), and of each bin's minimum the lowest 8 bits. Two articles agree in a
// bin with the probability J + (1 - J) / 256, J their similarity.
inline constexpr std::size_t kSignatureSize = 256;
using Signature = std::array<std::uint8_t, kSignatureSize>;

// From shingles in any order, repeats allowed; at least one shingle.
Signature SignatureOf(std::span<const std::uint64_t> shingles);

// Bins where the two agree.
std::size_t AgreeingBins(const Signature& a, const Signature& b);
// The similarity the agreeing bins suggest (the chance agreement of 8-bit values removed).
double EstimatedSimilarity(std::size_t agreeingBins);

}  // namespace wordloom::report
