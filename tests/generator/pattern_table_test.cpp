// The generator's byte-level helpers against plain definitions on random bytes: which bytes
// start a character, and which patterns occur at a place.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "generator/character_starts.h"
#include "generator/pattern_table.h"
#include "services/text.h"

namespace wordloom {
namespace {

// Runs of bytes of 0x80 and above of every length, odd and even, across the 64-byte blocks.
std::string RandomBytes(std::mt19937& rng, std::size_t size) {
  const std::string alphabet = "ab\\[\x81\xB0\xD5\xFE";
  std::string s;
  while (s.size() < size) {
    const bool high = rng() % 3 != 0;
    for (std::size_t run = 1 + rng() % (high ? 90 : 3); run > 0 && s.size() < size; --run) {
      s += alphabet[(high ? 4 : 0) + rng() % 4];
    }
  }
  return s;
}

TEST(CharacterStarts, AgreeWithReadingCharacterAfterCharacter) {
  std::mt19937 rng(5);
  std::vector<std::uint64_t> starts;
  for (int round = 0; round < 400; ++round) {
    const std::string text = RandomBytes(rng, rng() % 300);
    MarkCharacterStarts(text, starts);
    ASSERT_EQ(starts.size(), (text.size() + 63) / 64);
    std::vector<bool> expected(text.size(), false);
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) expected[i] = true;
    for (std::size_t i = 0; i < starts.size() * 64; ++i) {
      const bool marked = (starts[i / 64] >> (i % 64) & 1) != 0;
      ASSERT_EQ(marked, i < text.size() && expected[i])
          << "byte " << i << " of " << ::testing::PrintToString(text);
    }
  }
}

// Every length from one byte to past the eight that are keyed whole, patterns that share
// their first eight bytes, and places near the end of the text where longer ones do not fit.
TEST(PatternTable, FindsEveryPatternAtEveryPlace) {
  std::mt19937 rng(17);
  for (int round = 0; round < 60; ++round) {
    std::set<std::string> distinct;
    const std::string stem = RandomBytes(rng, 8);
    for (std::size_t n = 1 + rng() % 40; distinct.size() < n;) {
      std::string pattern = RandomBytes(rng, 1 + rng() % 14);
      if (rng() % 3 == 0) pattern = stem + pattern.substr(0, rng() % 5);
      distinct.insert(pattern);
    }
    const std::vector<std::string> owned(distinct.begin(), distinct.end());
    const std::vector<std::string_view> patterns(owned.begin(), owned.end());
    const PatternTable table(patterns);
    std::size_t longest = 0;
    for (const std::string& p : owned) longest = std::max(longest, p.size());
    EXPECT_EQ(table.MaxLength(), longest);

    // Texts made of the patterns and of noise, so that most patterns occur somewhere.
    std::string text;
    while (text.size() < 200) {
      text += rng() % 2 == 0 ? owned[rng() % owned.size()] : RandomBytes(rng, rng() % 6);
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t at = 0; at < text.size(); ++at) {
      const std::size_t skip = rng() % 4 == 0 ? rng() % 10 : 0;
      std::set<std::uint32_t> found;
      table.MatchesAt(bytes, text.size(), at, skip, [&](std::uint32_t id) {
        EXPECT_TRUE(found.insert(id).second) << "reported twice";
      });
      std::set<std::uint32_t> expected;
      for (std::uint32_t id = 0; id < owned.size(); ++id) {
        if (owned[id].size() > skip && text.compare(at, owned[id].size(), owned[id]) == 0) {
          expected.insert(id);
        }
      }
      ASSERT_EQ(found, expected) << "round " << round << ", place " << at;
    }
  }
}

}  // namespace
}  // namespace wordloom
