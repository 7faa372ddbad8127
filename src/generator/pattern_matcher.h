// Many byte patterns found in one pass over a text: which synonym rules or which registered
// tags a text may hold, without one scan per pattern. A table of the two bytes each pattern
// starts with passes over most positions at once; where it lets a position through, the
// patterns' trie is walked from there. Matches are reported wherever the bytes match, at a
// character boundary or not; callers keep only the ones their own rule allows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace wordloom {

class PatternMatcher {
 public:
  // An id no pattern has, for callers' tables.
  static constexpr std::uint32_t kNoPattern = 0xFFFFFFFFu;

  PatternMatcher() = default;
  // The patterns must be distinct and not empty; a pattern's id is its index. With
  // `ignoreCase`, ASCII letters match either case, byte by byte (also where a letter is the
  // second byte of a double-byte character), as the tag counts compare them.
  PatternMatcher(const std::vector<std::string_view>& patterns, bool ignoreCase);

  bool Empty() const { return lengths_.empty(); }
  std::size_t Length(std::uint32_t id) const { return lengths_[id]; }
  std::size_t MaxLength() const { return maxLength_; }
  // Bytes held, for the memory figures of the benchmarks.
  std::size_t MemoryBytes() const;

  // Calls onMatch(id, start) for every occurrence of every pattern that starts in
  // [from, to) (it may end beyond `to`), by start and then by length.
  template <typename OnMatch>
  void Scan(std::string_view text, std::size_t from, std::size_t to, OnMatch&& onMatch) const {
    if (Empty()) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    to = to < size ? to : size;
    for (std::size_t i = from; i < to; ++i) {
      const unsigned first = Fold(bytes[i]);
      const unsigned pair = i + 1 < size ? first << 8 | Fold(bytes[i + 1]) : first << 8;
      if ((starts_[pair >> 6] >> (pair & 63) & 1) == 0) continue;  // nothing starts here
      std::uint32_t state = 0;
      for (std::size_t j = i; j < size; ++j) {
        state = Child(state, Fold(bytes[j]));
        if (state == 0) break;
        if (output_[state] != kNone) onMatch(output_[state], i);
      }
    }
  }
  template <typename OnMatch>
  void Scan(std::string_view text, OnMatch&& onMatch) const {
    Scan(text, 0, text.size(), onMatch);
  }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  // States with more moves than this move by a table of 256 entries.
  static constexpr std::uint32_t kMaxListedMoves = 12;
  // ASCII letters in lower case, every other byte as it is.
  static constexpr std::array<unsigned char, 256> kFolded = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
      table[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b | 0x20 : b);
    }
    return table;
  }();

  unsigned Fold(unsigned char byte) const { return ignoreCase_ ? kFolded[byte] : byte; }

  // The state after the byte, or 0 (the root) when no pattern goes on that way.
  std::uint32_t Child(std::uint32_t state, unsigned byte) const {
    const std::uint32_t table = table_[state];
    if (table != kNone) return tables_[std::size_t{table} << 8 | byte];
    for (std::uint32_t e = edgeBegin_[state]; e < edgeBegin_[state + 1]; ++e) {
      if (edgeByte_[e] == byte) return edgeTarget_[e];
    }
    return 0;
  }

  bool ignoreCase_ = false;
  std::size_t maxLength_ = 0;
  std::vector<std::uint32_t> lengths_;  // by pattern id
  // Bit (a << 8 | b) is set when a pattern starts with the bytes a, b, or is the byte a.
  std::array<std::uint64_t, 1024> starts_{};
  std::vector<std::uint32_t> output_;     // by state: the pattern ending there, or kNone
  std::vector<std::uint32_t> table_;      // by state: its move table, or kNone
  std::vector<std::uint32_t> tables_;     // 256 moves per table
  std::vector<std::uint32_t> edgeBegin_;  // by state, one more at the end
  std::vector<unsigned char> edgeByte_;   // the moves of the other states
  std::vector<std::uint32_t> edgeTarget_;
};

}  // namespace wordloom
