#include "generator/rules_one_by_one.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace wordloom {
namespace {

// The two-byte sequences that occur in the text. A find text with a pair that is not there
// cannot occur, so most rules are passed over without a scan. Pairs that went away stay
// marked: a useless scan now and then, never a rule skipped that could match.
class PairSet {
 public:
  void Reset(std::string_view text) {
    bits_.fill(0);
    Add(text, 0, text.size());
  }

  // Marks the pairs that start in [from, to).
  void Add(std::string_view text, std::size_t from, std::size_t to) {
    to = std::min(to, text.empty() ? 0 : text.size() - 1);
    for (std::size_t i = from; i < to; ++i) Mark(Pair(text[i], text[i + 1]));
  }

  bool MayOccur(std::string_view find) const {
    for (std::size_t i = 0; i + 1 < find.size(); ++i) {
      const unsigned pair = Pair(find[i], find[i + 1]);
      if ((bits_[pair >> 6] >> (pair & 63) & 1) == 0) return false;
    }
    return true;
  }

 private:
  static unsigned Pair(char a, char b) {
    return static_cast<unsigned>(static_cast<unsigned char>(a)) << 8 |
           static_cast<unsigned char>(b);
  }
  void Mark(unsigned pair) { bits_[pair >> 6] |= std::uint64_t{1} << (pair & 63); }
  std::array<std::uint64_t, 1024> bits_{};
};

// One rule over the whole text, left to right at character boundaries, its own insertions
// not searched again. False, with the text unchanged, when the result would not fit.
bool ApplyRule(Text& text, const SynonymRule& rule, PairSet& pairs, Text& scratch,
               std::size_t maxBytes) {
  std::size_t p = textscan::Find(text, rule.find, 0, false);
  if (p == textscan::kNotFound) return true;
  const std::size_t growth =
      rule.replacement.size() > rule.find.size() ? rule.replacement.size() - rule.find.size() : 0;
  scratch.clear();
  std::size_t pos = 0;
  std::size_t grown = text.size();
  while (p != textscan::kNotFound) {
    grown += growth;
    if (grown > maxBytes) return false;
    scratch.append(text, pos, p - pos);
    scratch.append(rule.replacement);
    pos = p + rule.find.size();
    p = textscan::Find(text, rule.find, pos, false);
  }
  scratch.append(text, pos);
  text.swap(scratch);
  // Many sites in a text this size: marking the whole text costs about as much as theirs.
  pairs.Reset(text);
  return true;
}

}  // namespace

bool ApplyRulesOneByOne(Text& text, const SynonymSet& rules, std::uint32_t firstRule,
                        std::size_t maxBytes) {
  PairSet pairs;
  pairs.Reset(text);
  Text scratch;
  for (std::size_t r = firstRule; r < rules.Rules().size(); ++r) {
    const SynonymRule& rule = rules.Rules()[r];
    if (pairs.MayOccur(rule.find) && !ApplyRule(text, rule, pairs, scratch, maxBytes)) {
      return false;
    }
  }
  return true;
}

}  // namespace wordloom
