// Many literal patterns found in one pass over a text (an Aho-Corasick automaton), keeping
// only the occurrences that begin at a character boundary, as the text services find them.
// The store check counts every registered tag and synonym find text in a million lines
// with it, where one scan per pattern would be a thousand scans.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "services/text.h"

namespace wordloom::check {

class PatternMatcher {
 public:
  // The patterns must be distinct and not empty; pattern i is reported as i.
  explicit PatternMatcher(const std::vector<Text>& patterns);

  std::size_t PatternCount() const { return lengths_.size(); }
  std::size_t PatternLength(std::size_t pattern) const { return lengths_[pattern]; }

  // Calls found(pattern, begin) for every occurrence that begins at a character boundary
  // of the text (its start is one), overlapping ones included, in the order of their ends.
  template <typename Found>
  void ForEachMatch(std::string_view text, Found&& found) const;

 private:
  static constexpr std::int32_t kNone = -1;

  std::int32_t Child(std::int32_t state, unsigned char byte) const;
  std::int32_t Step(std::int32_t state, unsigned char byte) const {
    if (!next_.empty()) return next_[static_cast<std::size_t>(state) * 256 + byte];
    for (;;) {
      const std::int32_t next = Child(state, byte);
      if (next != kNone) return next;
      if (state == 0) return 0;
      state = fail_[static_cast<std::size_t>(state)];
    }
  }

  std::vector<std::size_t> lengths_;
  // Per state: the failure link, the pattern ending here (or kNone), the nearest state
  // along the failure links where a pattern ends (or kNone), and its edges: a dense table
  // for states with many edges, a sorted run of (byte, target) otherwise.
  std::vector<std::int32_t> fail_, output_, nextOutput_;
  std::vector<std::int32_t> dense_;  // state -> offset in denseTargets_, or kNone
  std::vector<std::int32_t> denseTargets_;
  std::vector<std::uint32_t> edgeBegin_;  // edges of state s: [edgeBegin_[s], edgeBegin_[s+1])
  std::vector<unsigned char> edgeBytes_;
  std::vector<std::int32_t> edgeTargets_;
  // Every state's next state for every byte, failure links followed in advance, where the
  // automaton is small enough for such a table (registered tags and a few thousand rules).
  std::vector<std::int32_t> next_;
  std::size_t ringSize_ = 1;  // a power of two above the longest pattern
};

template <typename Found>
void PatternMatcher::ForEachMatch(std::string_view text, Found&& found) const {
  // Whether each of the last ringSize_ positions is a character boundary: a match is known
  // at its end, when its beginning lies up to the longest pattern behind.
  thread_local std::vector<unsigned char> ring;
  if (ring.size() < ringSize_) ring.resize(ringSize_);
  const std::size_t mask = ringSize_ - 1;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::int32_t state = 0;
  bool boundary = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    ring[i & mask] = boundary;
    const unsigned char byte = bytes[i];
    // A byte of 0x80 or above at a boundary opens a two-byte character.
    boundary = !boundary || byte < 0x80;
    state = Step(state, byte);
    std::int32_t at = output_[static_cast<std::size_t>(state)] != kNone
                          ? state
                          : nextOutput_[static_cast<std::size_t>(state)];
    for (; at != kNone; at = nextOutput_[static_cast<std::size_t>(at)]) {
      const auto pattern = static_cast<std::size_t>(output_[static_cast<std::size_t>(at)]);
      const std::size_t begin = i + 1 - lengths_[pattern];
      if (ring[begin & mask]) found(pattern, begin);
    }
  }
}

}  // namespace wordloom::check
