// The synonym rules of the store: every rule of every synonym file, in file order and then
// line order, with a table of their find texts. Cut and built once while the files stay as
// they are, and shared by every thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "generator/draw_cache.h"
#include "generator/pattern_table.h"
#include "services/text.h"

namespace wordloom {

struct SynonymRule {
  Text find;
  Text replacement;
};

// True when the bytes are whole characters: read as a text of their own, the last character
// ends with the last byte (no lead byte waits for its second byte).
bool WholeCharacters(std::string_view bytes);

class SynonymSet {
 public:
  explicit SynonymSet(std::vector<SynonymRule> rules);

  const std::vector<SynonymRule>& Rules() const { return rules_; }
  // True when the rule's find text and replacement are both whole characters: replacing
  // at a character boundary then leaves every other byte's place in its character as it was.
  bool KeepsCharacters(std::uint32_t rule) const { return keepsCharacters_[rule] != 0; }
  // One pattern for each distinct find text.
  const PatternTable& Finds() const { return finds_; }
  // True when no two rules find the same text: pattern i is then rule i's find text.
  bool FindsDiffer() const { return ruleIds_.size() == ruleBegin_.size() - 1; }
  // The rules whose find text is the pattern, in rule order.
  std::span<const std::uint32_t> RulesFinding(std::uint32_t pattern) const {
    return std::span<const std::uint32_t>(ruleIds_).subspan(
        ruleBegin_[pattern], ruleBegin_[pattern + 1] - ruleBegin_[pattern]);
  }
  std::uint32_t PatternOf(std::uint32_t rule) const { return patternOfRule_[rule]; }

 private:
  std::vector<SynonymRule> rules_;
  std::vector<char> keepsCharacters_;  // by rule
  PatternTable finds_;
  std::vector<std::uint32_t> ruleBegin_;  // by pattern, one more at the end
  std::vector<std::uint32_t> ruleIds_;
  std::vector<std::uint32_t> patternOfRule_;
};

// The rules of one file's lines. A line without a replacement (no "=>", nothing after it) or
// with an empty find text is no rule at all.
void AppendRules(const LineIndex& lines, std::vector<SynonymRule>& rules);

// The rules of the synonym files as they are now. Built anew only when a file's contents
// changed; the draw cache's change checks decide when to look.
std::shared_ptr<const SynonymSet> CurrentSynonyms();

}  // namespace wordloom
