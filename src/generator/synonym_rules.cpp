#include "generator/synonym_rules.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>

namespace wordloom {
namespace {

// The two-byte sequences that occur in a text. A find text with a pair that is not there
// cannot occur, so most rules are passed over without a scan. After a replacement only
// the pairs around the inserted text are added; pairs that went away stay marked, which
// costs a useless scan now and then but never skips a rule that could match.
class PairSet {
 public:
  void Reset(std::string_view text) {
    bits_.fill(0);
    Add(text, 0, text.size());
  }

  // Marks the pairs that start in [from, to).
  void Add(std::string_view text, std::size_t from, std::size_t to) {
    to = std::min(to, text.size() > 0 ? text.size() - 1 : 0);
    for (std::size_t i = from; i < to; ++i) {
      const unsigned pair = Pair(text[i], text[i + 1]);
      bits_[pair >> 6] |= std::uint64_t{1} << (pair & 63);
    }
  }

  bool MayOccur(std::string_view find) const {
    if (find.size() < 2) return true;  // one byte: not filtered
    for (std::size_t i = 0; i + 1 < find.size(); ++i) {
      const unsigned pair = Pair(find[i], find[i + 1]);
      if ((bits_[pair >> 6] & (std::uint64_t{1} << (pair & 63))) == 0) return false;
    }
    return true;
  }

 private:
  static unsigned Pair(char a, char b) {
    return static_cast<unsigned>(static_cast<unsigned char>(a)) << 8 |
           static_cast<unsigned char>(b);
  }
  std::array<std::uint64_t, 1024> bits_{};
};

// Replaces every occurrence of the rule's find text as textscan::ReplaceAll does, and marks
// the pairs the inserted text brought in. False, with the text unchanged, when the result
// would be longer than `maxBytes`.
bool ApplyRule(Text& text, const SynonymRule& rule, PairSet& pairs, Text& scratch,
               std::size_t maxBytes) {
  std::size_t p = textscan::Find(text, rule.find, 0, false);
  if (p == textscan::kNotFound) return true;
  const std::size_t growth =
      rule.replacement.size() > rule.find.size() ? rule.replacement.size() - rule.find.size() : 0;
  scratch.clear();
  scratch.reserve(text.size() + rule.replacement.size());
  // Where the replacements went, as long as marking their pairs one by one is cheaper than
  // marking the whole new text.
  constexpr std::size_t kMaxSites = 4096;
  thread_local std::vector<std::size_t> sites;
  sites.clear();
  bool manySites = false;
  std::size_t pos = 0;
  std::size_t grown = text.size();
  while (p != textscan::kNotFound) {
    grown += growth;
    if (grown > maxBytes) return false;
    scratch.append(text, pos, p - pos);
    if (sites.size() < kMaxSites) {
      sites.push_back(scratch.size());
    } else {
      manySites = true;
    }
    scratch.append(rule.replacement);
    pos = p + rule.find.size();
    p = textscan::Find(text, rule.find, pos, false);
  }
  scratch.append(text, pos);
  text.swap(scratch);
  if (manySites) {
    pairs.Add(text, 0, text.size());
    return true;
  }
  for (std::size_t site : sites) {
    // The pairs inside the replacement and the two across its ends.
    pairs.Add(text, site > 0 ? site - 1 : 0, site + rule.replacement.size());
  }
  return true;
}

}  // namespace

const std::vector<SynonymRule>& RulesOf(const Text& path,
                                        const std::shared_ptr<const LineIndex>& lines) {
  struct Parsed {
    std::shared_ptr<const LineIndex> source;  // kept, so a new version is never mistaken
    std::vector<SynonymRule> rules;
  };
  thread_local std::unordered_map<Text, Parsed> parsed;
  Parsed& entry = parsed[path];
  if (entry.source != lines) {
    entry.rules.clear();
    for (std::size_t i = 0; i < lines->Count(); ++i) {
      TextArray pieces = SplitText(lines->Line(i), "=>");
      // A line without a replacement (no "=>", nothing after it) is no rule at all, and an
      // empty find text replaces nothing.
      if (pieces.size() < 2 || pieces[0].empty()) continue;
      entry.rules.push_back({std::move(pieces[0]), std::move(pieces[1])});
    }
    entry.source = lines;
  }
  return entry.rules;
}

bool ApplyRules(Text& text, const std::vector<const std::vector<SynonymRule>*>& ruleLists,
                std::size_t maxBytes) {
  if (text.empty()) return true;
  thread_local PairSet pairs;
  thread_local Text scratch;
  pairs.Reset(text);
  for (const std::vector<SynonymRule>* rules : ruleLists) {
    for (const SynonymRule& rule : *rules) {
      if (pairs.MayOccur(rule.find) && !ApplyRule(text, rule, pairs, scratch, maxBytes)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace wordloom
