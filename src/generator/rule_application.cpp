#include "generator/rule_application.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "generator/character_starts.h"
#include "generator/piece_list.h"
#include "generator/rules_one_by_one.h"

namespace wordloom {
namespace {

using Place = PieceList::Place;

// The working state of one pass, kept per thread so that its memory is reused.
//
// The occurrences found by the first search over the text are taken in rule order; those
// that replacements bring about later wait in a heap by rule. While every rule applied keeps
// the characters around its replacements (see SynonymSet::KeepsCharacters()), every byte
// stays where it was in its character from the moment it enters the text: occurrences are
// then looked for only at characters' starts, and stay there. The first rule that may move
// characters' starts ends that: the text is taken as it is then and searched again at every
// byte, and each occurrence's place is checked when its rule comes.
class RuleRun {
 public:
  bool Apply(Text& text, const SynonymSet& rules, std::size_t maxBytes);

 private:
  // A place where a rule's find text occurred when it was found; it may have gone since.
  struct Found {
    std::uint32_t rule;
    Place place;
  };
  struct LaterRule {
    bool operator()(const Found& a, const Found& b) const { return a.rule > b.rule; }
  };

  // The first rule from `firstRule` on that finds the pattern, or kNone. An occurrence waits
  // for that rule only and is handed on to the next one when it comes (see Apply()), so the
  // occurrences kept stay as many as the text holds, however many rules share a find text.
  static std::uint32_t FirstRuleFinding(const SynonymSet& rules, std::uint32_t pattern,
                                        std::uint32_t firstRule) {
    if (rules.FindsDiffer()) return pattern >= firstRule ? pattern : PieceList::kNone;
    const std::span<const std::uint32_t> finding = rules.RulesFinding(pattern);
    const auto it = std::lower_bound(finding.begin(), finding.end(), firstRule);
    return it != finding.end() ? *it : PieceList::kNone;
  }
  void Wait(std::uint32_t rule, Place place) {
    if (rule == PieceList::kNone) return;
    later_.push_back({rule, place});
    std::push_heap(later_.begin(), later_.end(), LaterRule());
  }
  // Occurrences and pieces kept track of; see kMaxTracked.
  std::size_t Tracked() const {
    return pieces_.PieceCount() + later_.size() + (sorted_.size() - next_);
  }
  // Starts over on the text: the occurrences of the rules from `firstRule` on.
  void Start(const SynonymSet& rules, std::string_view text, std::uint32_t firstRule);
  // The rule whose occurrences come next, or kNone.
  std::uint32_t NextRule() const;
  // Gathers the rule's occurrences that still stand, in text order.
  void TakeOccurrences(std::uint32_t rule);
  // The occurrences, by rules after `rule`, that the replacement at `site` brought about:
  // those that overlap the inserted bytes, or, where nothing was inserted, hold bytes on both
  // sides of the place.
  void FindNewOccurrences(const SynonymSet& rules, std::uint32_t rule, Place site,
                          std::size_t inserted);

  bool keptCharacters_ = true;  // no rule applied so far moved a character's start
  PieceList pieces_;
  std::vector<std::uint64_t> characterStarts_;
  std::string taken_;                  // the text when the characters stopped being kept
  std::vector<Found> found_, sorted_;  // the first search's, in text order, then by rule
  std::size_t next_ = 0;               // in sorted_
  std::vector<Found> later_;           // a heap, the first rule on top
  static constexpr std::size_t kProbeBatch = 256;
  std::vector<std::pair<PatternTable::Probe, std::size_t>> probes_;
  // Past this many, a text of very many occurrences (a rule that doubles every letter, run
  // again and again) would cost far more memory kept piece by piece than the text itself:
  // the rules left then run over the text as it is, one scan each.
  static constexpr std::size_t kMaxTracked = std::size_t{1} << 20;
  std::vector<Place> places_, accepted_, sites_;
  std::string window_;
  std::vector<PieceList::Stretch> stretches_;
};

void RuleRun::Start(const SynonymSet& rules, std::string_view text, std::uint32_t firstRule) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  if (keptCharacters_) MarkCharacterStarts(text, characterStarts_);
  pieces_.Reset(text, keptCharacters_ ? &characterStarts_ : nullptr);
  found_.clear();
  later_.clear();
  // The table's entries are asked for a batch of places ahead of reading them, so that the
  // memory serves many at once.
  const PatternTable& finds = rules.Finds();
  auto complete = [&] {
    for (const auto& [probe, i] : probes_) {
      finds.Complete(probe, bytes, size, i, 0, [&](std::uint32_t pattern) {
        const std::uint32_t rule = FirstRuleFinding(rules, pattern, firstRule);
        if (rule != PieceList::kNone) found_.push_back({rule, pieces_.PlaceInText(i)});
      });
    }
    probes_.clear();
  };
  for (std::size_t w = 0; w < (size + 63) / 64; ++w) {
    std::uint64_t places = keptCharacters_       ? characterStarts_[w]
                           : size - 64 * w >= 64 ? ~std::uint64_t{0}
                                                 : (std::uint64_t{1} << (size - 64 * w)) - 1;
    for (; places != 0; places &= places - 1) {
      const std::size_t i = 64 * w + static_cast<std::size_t>(std::countr_zero(places));
      finds.ProbesAt(bytes, size, i, 0, [&](const PatternTable::Probe& probe) {
        probes_.push_back({probe, i});
      });
    }
    if (probes_.size() >= kProbeBatch) complete();
  }
  complete();
  // By rule, each rule's in text order: a stable sort by the rule's bits, a few at a time
  // (for a few occurrences, a plain stable sort costs less than the counting).
  next_ = 0;
  if (found_.size() < 256) {
    std::stable_sort(found_.begin(), found_.end(),
                     [](const Found& a, const Found& b) { return a.rule < b.rule; });
    found_.swap(sorted_);
    return;
  }
  sorted_.resize(found_.size());
  const int bits = std::bit_width(rules.Rules().size());
  constexpr int kDigit = 9;
  std::uint32_t counts[1 << kDigit];
  for (int shift = 0; shift < bits; shift += kDigit) {
    std::fill(std::begin(counts), std::end(counts), 0);
    for (const Found& f : found_) ++counts[f.rule >> shift & ((1 << kDigit) - 1)];
    std::uint32_t total = 0;
    for (std::uint32_t& count : counts) total += std::exchange(count, total);
    for (const Found& f : found_) sorted_[counts[f.rule >> shift & ((1 << kDigit) - 1)]++] = f;
    found_.swap(sorted_);
  }
  found_.swap(sorted_);
}

std::uint32_t RuleRun::NextRule() const {
  std::uint32_t rule = next_ < sorted_.size() ? sorted_[next_].rule : PieceList::kNone;
  if (!later_.empty()) rule = std::min(rule, later_.front().rule);
  return rule;
}

void RuleRun::TakeOccurrences(std::uint32_t rule) {
  places_.clear();
  auto take = [&](Place place) {
    place = pieces_.Resolve(place);
    if (place.piece != PieceList::kNone) places_.push_back(place);
  };
  for (; next_ < sorted_.size() && sorted_[next_].rule == rule; ++next_) take(sorted_[next_].place);
  bool ordered = true;  // those of the first search are
  while (!later_.empty() && later_.front().rule == rule) {
    take(later_.front().place);
    std::pop_heap(later_.begin(), later_.end(), LaterRule());
    later_.pop_back();
    ordered = false;
  }
  if (ordered) return;
  std::sort(places_.begin(), places_.end(),
            [this](Place a, Place b) { return pieces_.Before(a, b); });
  places_.erase(std::unique(places_.begin(), places_.end()), places_.end());
}

void RuleRun::FindNewOccurrences(const SynonymSet& rules, std::uint32_t rule, Place site,
                                 std::size_t inserted) {
  const Place at = pieces_.Resolve(site);
  // A dead place: the next replacement began right there, and its own search covers this.
  if (at.piece == PieceList::kNone) return;
  const std::size_t reach = rules.Finds().MaxLength() - 1;
  const auto [start, size] = pieces_.Window(at, inserted, reach, reach, window_, stretches_);
  const auto* bytes = reinterpret_cast<const unsigned char*>(window_.data());
  const std::size_t end = start + inserted;  // the last place an occurrence may start, and one
  // Where characters are kept, only characters' starts are looked at: the first one of the
  // window, then one character after another.
  std::size_t i =
      keptCharacters_ && !stretches_.empty() && !pieces_.StartsCharacterAt(stretches_.front().place)
          ? 1
          : 0;
  auto stretch = stretches_.begin();
  for (; i < end; i += keptCharacters_ && bytes[i] >= 0x80 ? 2 : 1) {
    rules.Finds().MatchesAt(bytes, size, i, i < start ? start - i : 0, [&](std::uint32_t pattern) {
      while (std::next(stretch) != stretches_.end() && std::next(stretch)->windowOffset <= i) {
        ++stretch;
      }
      const Place place{stretch->place.piece, static_cast<std::uint32_t>(stretch->place.offset + i -
                                                                         stretch->windowOffset)};
      Wait(FirstRuleFinding(rules, pattern, rule + 1), place);
    });
  }
}

bool RuleRun::Apply(Text& text, const SynonymSet& rules, std::size_t maxBytes) {
  keptCharacters_ = true;
  Start(rules, text, 0);  // the pieces point into `text`, which stays as it is until the end

  bool changed = false;
  bool fits = true;
  for (std::uint32_t r = NextRule(); r != PieceList::kNone; r = NextRule()) {
    const SynonymRule& rule = rules.Rules()[r];
    if (Tracked() > kMaxTracked) {
      text = pieces_.Text();
      sorted_.clear();
      later_.clear();
      return ApplyRulesOneByOne(text, rules, r, maxBytes);
    }
    if (keptCharacters_ && !rules.KeepsCharacters(r)) {
      // From this rule on, characters' starts may move: every byte may start an occurrence.
      keptCharacters_ = false;
      taken_ = pieces_.Text();
      Start(rules, taken_, r);
      continue;
    }
    TakeOccurrences(r);
    // As one search from the start would take them: each at a character boundary counted
    // from the end of the one before (or the start), none overlapping the one before.
    accepted_.clear();
    Place from{};
    for (const Place place : places_) {
      if (!accepted_.empty() && pieces_.Before(place, from)) continue;
      if (!pieces_.HoldsAt(place, rule.find)) continue;
      if (!keptCharacters_ && !pieces_.StartsCharacter(place, from)) continue;
      accepted_.push_back(place);
      from = pieces_.Advance(place, rule.find.size());
    }
    // Those left stand on for the next rule with the same find text; the accepted ones go.
    const std::uint32_t nextFinding = FirstRuleFinding(rules, rules.PatternOf(r), r + 1);
    if (nextFinding != PieceList::kNone) {
      auto accepted = accepted_.begin();
      for (const Place place : places_) {
        if (accepted != accepted_.end() && *accepted == place) {
          ++accepted;
        } else if (pieces_.HoldsAt(place, rule.find)) {
          Wait(nextFinding, place);
        }
      }
    }
    if (accepted_.empty()) continue;
    if (rule.replacement.size() > rule.find.size() &&
        pieces_.Size() + accepted_.size() * (rule.replacement.size() - rule.find.size()) >
            maxBytes) {
      fits = false;
      break;
    }
    sites_.clear();
    for (const Place place : accepted_) {
      sites_.push_back(pieces_.Replace(pieces_.Resolve(place), rule.find.size(), rule.replacement));
    }
    changed = true;
    for (const Place site : sites_) FindNewOccurrences(rules, r, site, rule.replacement.size());
  }
  sorted_.clear();
  later_.clear();
  if (changed) text = pieces_.Text();
  return fits;
}

}  // namespace

bool ApplyRules(Text& text, const SynonymSet& rules, std::size_t maxBytes) {
  if (text.empty() || rules.Rules().empty()) return true;
  thread_local RuleRun run;
  return run.Apply(text, rules, maxBytes);
}

}  // namespace wordloom
