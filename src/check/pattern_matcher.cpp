#include "check/pattern_matcher.h"

#include <algorithm>
#include <utility>

namespace wordloom::check {
namespace {

// States with more edges than this get a table of 256 targets: the states near the root
// of many GBK patterns fan out over a whole row of second bytes.
constexpr std::size_t kDenseFrom = 12;
// Up to this many states (32 MiB of table) every step is one lookup.
constexpr std::size_t kTableStates = 32768;

}  // namespace

PatternMatcher::PatternMatcher(const std::vector<Text>& patterns) {
  // The trie, with its edges kept sorted by byte while it grows.
  std::vector<std::vector<std::pair<unsigned char, std::int32_t>>> edges(1);
  output_.assign(1, kNone);
  auto childIn = [&](std::int32_t state, unsigned char byte) {
    const auto& list = edges[static_cast<std::size_t>(state)];
    auto it = std::lower_bound(list.begin(), list.end(), std::make_pair(byte, std::int32_t{0}),
                               [](const auto& a, const auto& b) { return a.first < b.first; });
    return it != list.end() && it->first == byte ? it->second : kNone;
  };
  std::size_t longest = 0;
  for (std::size_t p = 0; p < patterns.size(); ++p) {
    const Text& pattern = patterns[p];
    lengths_.push_back(pattern.size());
    longest = std::max(longest, pattern.size());
    std::int32_t state = 0;
    for (char c : pattern) {
      const auto byte = static_cast<unsigned char>(c);
      std::int32_t next = childIn(state, byte);
      if (next == kNone) {
        next = static_cast<std::int32_t>(edges.size());
        auto& list = edges[static_cast<std::size_t>(state)];
        list.insert(
            std::upper_bound(list.begin(), list.end(), std::make_pair(byte, next),
                             [](const auto& a, const auto& b) { return a.first < b.first; }),
            std::make_pair(byte, next));
        edges.emplace_back();
        output_.push_back(kNone);
      }
      state = next;
    }
    if (!pattern.empty() && output_[static_cast<std::size_t>(state)] == kNone) {
      output_[static_cast<std::size_t>(state)] = static_cast<std::int32_t>(p);
    }
  }
  while (ringSize_ <= longest) ringSize_ *= 2;

  // The edges in their final form.
  const std::size_t states = edges.size();
  dense_.assign(states, kNone);
  edgeBegin_.assign(states + 1, 0);
  for (std::size_t s = 0; s < states; ++s) {
    const auto& list = edges[s];
    edgeBegin_[s] = static_cast<std::uint32_t>(edgeBytes_.size());
    if (s == 0 || list.size() > kDenseFrom) {
      dense_[s] = static_cast<std::int32_t>(denseTargets_.size());
      denseTargets_.resize(denseTargets_.size() + 256, kNone);
      for (const auto& [byte, target] : list) {
        denseTargets_[static_cast<std::size_t>(dense_[s]) + byte] = target;
      }
      continue;
    }
    for (const auto& [byte, target] : list) {
      edgeBytes_.push_back(byte);
      edgeTargets_.push_back(target);
    }
  }
  edgeBegin_[states] = static_cast<std::uint32_t>(edgeBytes_.size());

  // Failure links breadth first: a state's link is known before its children need it.
  fail_.assign(states, 0);
  nextOutput_.assign(states, kNone);
  std::vector<std::int32_t> queue;
  queue.reserve(states);
  for (const auto& [byte, child] : edges[0]) queue.push_back(child);
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const std::int32_t state = queue[head];
    for (const auto& [byte, child] : edges[static_cast<std::size_t>(state)]) {
      std::int32_t f = fail_[static_cast<std::size_t>(state)];
      while (f != 0 && Child(f, byte) == kNone) f = fail_[static_cast<std::size_t>(f)];
      const std::int32_t target = Child(f, byte);
      const std::int32_t link = target != kNone && target != child ? target : 0;
      fail_[static_cast<std::size_t>(child)] = link;
      nextOutput_[static_cast<std::size_t>(child)] =
          output_[static_cast<std::size_t>(link)] != kNone
              ? link
              : nextOutput_[static_cast<std::size_t>(link)];
      queue.push_back(child);
    }
  }

  if (states > kTableStates) return;
  next_.assign(states * 256, 0);
  for (unsigned byte = 0; byte < 256; ++byte) {
    next_[byte] = std::max(Child(0, static_cast<unsigned char>(byte)), std::int32_t{0});
  }
  // Breadth first, a state's failure link has its row filled before the state itself.
  for (const std::int32_t state : queue) {
    const auto s = static_cast<std::size_t>(state);
    const auto f = static_cast<std::size_t>(fail_[s]);
    for (unsigned byte = 0; byte < 256; ++byte) {
      const std::int32_t child = Child(state, static_cast<unsigned char>(byte));
      next_[s * 256 + byte] = child != kNone ? child : next_[f * 256 + byte];
    }
  }
}

std::int32_t PatternMatcher::Child(std::int32_t state, unsigned char byte) const {
  const auto s = static_cast<std::size_t>(state);
  if (dense_[s] != kNone) return denseTargets_[static_cast<std::size_t>(dense_[s]) + byte];
  for (std::uint32_t e = edgeBegin_[s]; e < edgeBegin_[s + 1]; ++e) {
    if (edgeBytes_[e] == byte) return edgeTargets_[e];
  }
  return kNone;
}

}  // namespace wordloom::check
