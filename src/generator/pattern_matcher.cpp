#include "generator/pattern_matcher.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace wordloom {

PatternMatcher::PatternMatcher(const std::vector<std::string_view>& patterns, bool ignoreCase)
    : ignoreCase_(ignoreCase) {
  // The trie, with its moves in a hash map while it grows.
  std::unordered_map<std::uint64_t, std::uint32_t> moves;
  output_.assign(1, kNone);
  lengths_.reserve(patterns.size());
  for (std::size_t id = 0; id < patterns.size(); ++id) {
    const std::string_view pattern = patterns[id];
    std::uint32_t state = 0;
    for (char c : pattern) {
      const std::uint64_t key = std::uint64_t{state} << 8 | Fold(static_cast<unsigned char>(c));
      auto [it, added] = moves.try_emplace(key, static_cast<std::uint32_t>(output_.size()));
      if (added) output_.push_back(kNone);
      state = it->second;
    }
    output_[state] = static_cast<std::uint32_t>(id);
    lengths_.push_back(static_cast<std::uint32_t>(pattern.size()));
    maxLength_ = std::max(maxLength_, pattern.size());

    const unsigned first = Fold(static_cast<unsigned char>(pattern[0]));
    for (unsigned second = 0; second < 256; ++second) {
      if (pattern.size() > 1 && second != Fold(static_cast<unsigned char>(pattern[1]))) continue;
      const unsigned pair = first << 8 | second;
      starts_[pair >> 6] |= std::uint64_t{1} << (pair & 63);
    }
  }

  // The moves of each state in one array, sorted by state; a table for the busy states.
  const std::size_t states = output_.size();
  std::vector<std::tuple<std::uint32_t, unsigned char, std::uint32_t>> edges;
  edges.reserve(moves.size());
  for (const auto& [key, target] : moves) {
    edges.emplace_back(static_cast<std::uint32_t>(key >> 8), static_cast<unsigned char>(key & 0xFF),
                       target);
  }
  moves = {};
  std::sort(edges.begin(), edges.end());
  edgeBegin_.assign(states + 1, 0);
  for (const auto& edge : edges) ++edgeBegin_[std::get<0>(edge) + 1];
  for (std::size_t s = 0; s < states; ++s) edgeBegin_[s + 1] += edgeBegin_[s];
  table_.assign(states, kNone);
  edgeByte_.reserve(edges.size());
  edgeTarget_.reserve(edges.size());
  for (const auto& [from, byte, target] : edges) {
    edgeByte_.push_back(byte);
    edgeTarget_.push_back(target);
    if (from != 0 && edgeBegin_[from + 1] - edgeBegin_[from] <= kMaxListedMoves) continue;
    if (table_[from] == kNone) {
      table_[from] = static_cast<std::uint32_t>(tables_.size() >> 8);
      tables_.resize(tables_.size() + 256, 0);
    }
    tables_[std::size_t{table_[from]} << 8 | byte] = target;
  }
}

std::size_t PatternMatcher::MemoryBytes() const {
  return sizeof(*this) +
         4 * (lengths_.capacity() + output_.capacity() + table_.capacity() + tables_.capacity() +
              edgeBegin_.capacity() + edgeTarget_.capacity()) +
         edgeByte_.capacity();
}

}  // namespace wordloom
