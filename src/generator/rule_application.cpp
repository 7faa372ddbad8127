#include "generator/rule_application.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <string>
#include <vector>

#include "generator/piece_list.h"

namespace wordloom {
namespace {

using Place = PieceList::Place;

// The working state of one pass, kept per thread so that its memory is reused.
class RuleRun {
 public:
  bool Apply(Text& text, const SynonymSet& rules, std::size_t maxBytes);

 private:
  static constexpr std::uint32_t kNone = PieceList::kNone;

  // A place where a rule's find text occurred when it was found; it may have gone since.
  struct Candidate {
    Place place;
    std::uint32_t next;  // the rule's next candidate
  };

  void Add(std::uint32_t rule, Place place);
  // Gathers the rule's candidates that still stand, in text order.
  void TakeCandidates(std::uint32_t rule);
  // The occurrences, by rules after `rule`, that the replacement at `site` brought about:
  // those that overlap the inserted bytes, or, where nothing was inserted, hold bytes on both
  // sides of the place.
  void FindNewOccurrences(const SynonymSet& rules, std::uint32_t rule, Place site,
                          std::size_t inserted);
  void Clear();

  PieceList pieces_;
  std::vector<Candidate> candidates_;
  std::vector<std::uint32_t> first_;  // by rule: its latest candidate, or kNone
  std::priority_queue<std::uint32_t, std::vector<std::uint32_t>, std::greater<>> pending_;
  std::vector<Place> places_, accepted_, sites_;
  std::string window_;
  std::vector<PieceList::Stretch> stretches_;
};

void RuleRun::Add(std::uint32_t rule, Place place) {
  if (first_[rule] == kNone) pending_.push(rule);
  candidates_.push_back({place, first_[rule]});
  first_[rule] = static_cast<std::uint32_t>(candidates_.size() - 1);
}

void RuleRun::TakeCandidates(std::uint32_t rule) {
  places_.clear();
  for (std::uint32_t c = first_[rule]; c != kNone; c = candidates_[c].next) {
    const Place place = pieces_.Resolve(candidates_[c].place);
    if (place.piece != kNone) places_.push_back(place);
  }
  first_[rule] = kNone;
  std::sort(places_.begin(), places_.end(),
            [this](Place a, Place b) { return pieces_.Before(a, b); });
  places_.erase(std::unique(places_.begin(), places_.end()), places_.end());
}

void RuleRun::FindNewOccurrences(const SynonymSet& rules, std::uint32_t rule, Place site,
                                 std::size_t inserted) {
  const Place at = pieces_.Resolve(site);
  // A dead place: the next replacement began right there, and its own search covers this.
  if (at.piece == kNone) return;
  const std::size_t reach = rules.Finds().MaxLength() - 1;
  const std::size_t start = pieces_.Window(at, inserted, reach, reach, window_, stretches_);
  rules.Finds().Scan(window_, 0, start + inserted, [&](std::uint32_t pattern, std::size_t from) {
    if (from + rules.Finds().Length(pattern) <= start) return;  // wholly in the old text
    const std::span<const std::uint32_t> finding = rules.RulesFinding(pattern);
    auto later = std::upper_bound(finding.begin(), finding.end(), rule);
    if (later == finding.end()) return;
    auto stretch = std::prev(std::upper_bound(
        stretches_.begin(), stretches_.end(), from,
        [](std::size_t offset, const PieceList::Stretch& s) { return offset < s.windowOffset; }));
    const Place place{
        stretch->place.piece,
        static_cast<std::uint32_t>(stretch->place.offset + from - stretch->windowOffset)};
    for (; later != finding.end(); ++later) Add(*later, place);
  });
}

void RuleRun::Clear() {
  while (!pending_.empty()) {
    first_[pending_.top()] = kNone;
    pending_.pop();
  }
  candidates_.clear();
}

bool RuleRun::Apply(Text& text, const SynonymSet& rules, std::size_t maxBytes) {
  if (first_.size() != rules.Rules().size()) first_.assign(rules.Rules().size(), kNone);
  pieces_.Reset(text);  // points into `text`, which stays as it is until the end
  rules.Finds().Scan(text, [&](std::uint32_t pattern, std::size_t from) {
    for (std::uint32_t rule : rules.RulesFinding(pattern)) Add(rule, pieces_.PlaceInText(from));
  });

  bool changed = false;
  bool fits = true;
  while (!pending_.empty()) {
    const std::uint32_t r = pending_.top();
    pending_.pop();
    const SynonymRule& rule = rules.Rules()[r];
    TakeCandidates(r);
    // As one search from the start would take them: each at a character boundary counted
    // from the end of the one before (or the start), none overlapping the one before.
    accepted_.clear();
    Place from{};
    for (const Place place : places_) {
      if (!accepted_.empty() && pieces_.Before(place, from)) continue;
      if (!pieces_.HoldsAt(place, rule.find) || !pieces_.StartsCharacter(place, from)) continue;
      accepted_.push_back(place);
      from = pieces_.Advance(place, rule.find.size());
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
  Clear();
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
