#include "generator/character_starts.h"

#include <bit>
#include <cstring>

namespace wordloom {
namespace {

constexpr std::uint64_t kEvenBits = 0x5555555555555555u;
constexpr std::uint64_t kOddBits = ~kEvenBits;

// Bit i set when bytes[i] (i < count <= 64) is 0x80 or above.
std::uint64_t HighBytes(const unsigned char* bytes, std::size_t count) {
  std::uint64_t mask = 0;
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= count; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      // The top bit of each byte, gathered into the top byte by one multiplication.
      mask |= ((word & 0x8080808080808080u) * 0x0002040810204081u) >> 56 << i;
    }
  }
  for (; i < count; ++i) mask |= static_cast<std::uint64_t>(bytes[i] >> 7) << i;
  return mask;
}

}  // namespace

void MarkCharacterStarts(std::string_view text, std::vector<std::uint64_t>& starts) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  starts.assign((size + 63) / 64, 0);
  // Within a run of high bytes the bytes alternate between opening and closing a character,
  // from the run's first byte on (which opens one, as a low byte or the start comes before
  // it); the byte right after a run of odd length closes one too. Runs are told apart by the
  // evenness of their first byte's place: adding a run's first bit carries through the run,
  // which leaves the run and the byte after it marked.
  bool closing = false;  // the block's first byte closes a character begun before it
  for (std::size_t w = 0; w < starts.size(); ++w) {
    const std::size_t count = size - 64 * w < 64 ? size - 64 * w : 64;
    const std::uint64_t high = HighBytes(bytes + 64 * w, count);
    // A run that goes on from the block before: its first byte here closes that character,
    // and the rest of it reads as a run of its own from the second byte.
    const std::uint64_t runs = closing ? high & ~std::uint64_t{1} : high;
    const std::uint64_t firsts = runs & ~(runs << 1);
    const std::uint64_t fromEven = (runs + (firsts & kEvenBits)) ^ runs;
    const std::uint64_t fromOdd = (runs + (firsts & kOddBits)) ^ runs;
    const std::uint64_t closes = (fromEven & kOddBits) | (fromOdd & kEvenBits) | (closing ? 1 : 0);
    const std::uint64_t valid = count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
    starts[w] = ~closes & valid;
    closing = (high >> 63 & 1) != 0 && (closes >> 63 & 1) == 0;
  }
}

}  // namespace wordloom
