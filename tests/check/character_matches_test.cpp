// The store check's matches: the generator's matcher, kept to character boundaries.
#include "check/character_matches.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "services/text.h"

namespace wordloom::check {
namespace {

using Match = std::pair<std::size_t, std::size_t>;  // pattern, begin

PatternMatcher MatcherOf(const std::vector<Text>& patterns) {
  return PatternMatcher(std::vector<std::string_view>(patterns.begin(), patterns.end()), false);
}

std::set<Match> Matches(const PatternMatcher& matcher, std::string_view text) {
  std::set<Match> found;
  ForEachMatchAtCharacterStart(matcher, text, [&](std::size_t pattern, std::size_t begin) {
    EXPECT_TRUE(found.emplace(pattern, begin).second) << "reported twice";
  });
  return found;
}

// Every place where a pattern stands byte for byte at a character boundary.
std::set<Match> Expected(const std::vector<Text>& patterns, std::string_view text) {
  std::set<Match> expected;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    for (std::size_t p = 0; p < patterns.size(); ++p) {
      if (text.substr(i, patterns[p].size()) == patterns[p]) expected.emplace(p, i);
    }
  }
  return expected;
}

TEST(CharacterMatches, FindsOverlappingAndNestedPatternsOnlyAtCharacterBoundaries) {
  const std::vector<Text> patterns = {"{<_", "_>}", "{<_a_>}", "a", "aa", "\xD5\x5D", "]"};
  const PatternMatcher matcher = MatcherOf(patterns);
  // "\xD5\x5D" is 誡, whose second byte is "]": that "]" is no match, nor is "{<_" behind
  // the lead byte 0x81.
  const std::string text = "{<_a_>}aaa\xD5\x5D]\x81{<_";
  EXPECT_EQ(Matches(matcher, text), Expected(patterns, text));
  EXPECT_EQ(Matches(matcher, text).count({6, 11}), 0u);
  EXPECT_EQ(Matches(matcher, text).count({6, 12}), 1u);
}

// Random GBK-ish texts over a small alphabet, so that patterns meet often, against the
// plain search.
TEST(CharacterMatches, AgreesWithAPlainSearchOnRandomTexts) {
  std::mt19937 rng(7);
  const std::string alphabet = "ab{}_\x81\xD5\x5D";
  auto randomText = [&](std::size_t length) {
    std::string s;
    for (std::size_t i = 0; i < length; ++i) s.push_back(alphabet[rng() % alphabet.size()]);
    return s;
  };
  for (int round = 0; round < 200; ++round) {
    std::set<Text> distinct;
    while (distinct.size() < 1 + rng() % 30) distinct.insert(randomText(1 + rng() % 5));
    const std::vector<Text> patterns(distinct.begin(), distinct.end());
    const PatternMatcher matcher = MatcherOf(patterns);
    const std::string text = randomText(rng() % 200);
    ASSERT_EQ(Matches(matcher, text), Expected(patterns, text)) << "round " << round;
  }
}

// Hundreds of patterns sharing their first bytes: many moves from one state.
TEST(CharacterMatches, ManyPatternsWithACommonStart) {
  std::vector<Text> patterns;
  for (int lead = 0xB0; lead < 0xB4; ++lead) {
    for (int trail = 0xA1; trail < 0xFF; ++trail) {
      patterns.push_back(Text{'{', static_cast<char>(lead), static_cast<char>(trail), '}'});
    }
  }
  const PatternMatcher matcher = MatcherOf(patterns);
  std::string text;
  for (std::size_t p = 0; p < patterns.size(); p += 7) text += patterns[p] + "x";
  EXPECT_EQ(Matches(matcher, text), Expected(patterns, text));
  EXPECT_EQ(Matches(matcher, text).size(), (patterns.size() + 6) / 7);
}

// Thousands of patterns, as a store's synonym rules give, whose matches cross the character
// boundaries that a stray lead byte shifts.
TEST(CharacterMatches, ManyPatternsAcrossShiftedBoundaries) {
  std::mt19937 rng(11);
  std::set<Text> distinct;
  while (distinct.size() < 9000) {  // about 40,000 states
    Text pattern;
    for (int i = 0; i < 6; ++i) pattern.push_back(static_cast<char>(0x41 + rng() % 60));
    distinct.insert(pattern);
  }
  const std::vector<Text> patterns(distinct.begin(), distinct.end());
  const PatternMatcher matcher = MatcherOf(patterns);
  std::string text;
  for (int i = 0; i < 60; ++i) {
    text += patterns[rng() % patterns.size()].substr(rng() % 3);
    if (i % 7 == 0) text += "\xB0";  // shifts the character boundaries now and then
  }
  const std::set<Match> found = Matches(matcher, text);
  EXPECT_EQ(found, Expected(patterns, text));
  EXPECT_GT(found.size(), 10u);
}

}  // namespace
}  // namespace wordloom::check
