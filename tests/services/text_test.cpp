#include "services/text.h"

#include <gtest/gtest.h>

#include <random>

namespace wordloom {
namespace {

// The scanning rules written out naively, character by character, to check the fast paths.
long NaiveFind(const Text& text, const Text& part, long start, bool ignoreCase) {
  if (part.empty()) return text.empty() ? -1 : 1;
  auto fold = [&](unsigned char c) {
    return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c | 0x20) : c;
  };
  std::size_t i = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
  while (i < text.size()) {
    if (text.size() - i >= part.size()) {
      bool match = true;
      for (std::size_t k = 0; k < part.size() && match; ++k) {
        match = fold(static_cast<unsigned char>(text[i + k])) ==
                fold(static_cast<unsigned char>(part[k]));
      }
      if (match) return static_cast<long>(i + 1);
    }
    i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
  }
  return -1;
}

Text NaiveReplaceAll(const Text& text, const Text& part, const Text& with) {
  if (text.empty() || part.empty()) return text;
  Text out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, part.size(), part) == 0) {
      out += with;
      i += part.size();
    } else {
      std::size_t len = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
      out.append(text, i, len);
      i += len;
    }
  }
  return out;
}

Text RandomText(std::mt19937& rng, std::size_t maxLength) {
  // Few distinct bytes so that matches, lead bytes and look-alike trail bytes are common.
  static const unsigned char kAlphabet[] = {'a',  'A',  ']',  '\\', 0xD5, 0x5D,
                                            0xB5, 0xC4, 0x80, '\r', '\n', 'x'};
  std::uniform_int_distribution<std::size_t> length(0, maxLength);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 1);
  Text t(length(rng), ' ');
  for (char& c : t) c = static_cast<char>(kAlphabet[pick(rng)]);
  return t;
}

TEST(TextFind, EmptySearchTextIsOneInAnyTextAndMinusOneInNone) {
  EXPECT_EQ(FindText("abc", ""), 1);
  EXPECT_EQ(FindText("", ""), -1);
  EXPECT_EQ(FindText("", "a"), -1);
}

TEST(TextFind, NeverMatchesInsideATwoByteCharacter) {
  const Text jie = "\xD5\x5D";  // 誡, whose second byte is "]"
  EXPECT_EQ(FindText(jie, "]"), -1);
  EXPECT_EQ(FindText(jie + "]", "]"), 3);
  // 的可 = B5 C4 BF C9 holds C4 BF across two characters
  EXPECT_EQ(FindText("\xB5\xC4\xBF\xC9", "\xC4\xBF"), -1);
  EXPECT_EQ(FindText("\xB5\xC4\xBF\xC9", "\xBF\xC9"), 3);
}

TEST(TextFind, StartPositionAndLetterCase) {
  EXPECT_EQ(FindText("abcabc", "abc", 2), 4);
  EXPECT_EQ(FindText("abcabc", "abc", 0), 1);
  EXPECT_EQ(FindText("abcabc", "abc", 5), -1);
  EXPECT_EQ(FindText("xABC", "abc"), -1);
  EXPECT_EQ(FindText("xABC", "abc", 1, true), 2);
  // Ignoring case concerns ASCII letters only.
  EXPECT_EQ(FindText("{<_AB\xBE\xE4_>}", "{<_ab\xBE\xE4_>}", 1, true), 1);
}

TEST(TextFind, AgreesWithTheCharacterByCharacterRules) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20000; ++round) {
    Text text = RandomText(rng, 24);
    Text part = RandomText(rng, 3);
    long start = static_cast<long>(rng() % 6);
    bool ignoreCase = rng() % 2 == 0;
    ASSERT_EQ(FindText(text, part, start, ignoreCase), NaiveFind(text, part, start, ignoreCase))
        << "round " << round;
  }
}

TEST(TextReplace, EmptyInputsAndZeroMaximumChangeNothing) {
  EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceText("", "a", "x"), "");
  EXPECT_EQ(ReplaceText("abc", "a", "x", 1, 0, true), "abc");
  EXPECT_EQ(ReplaceText("abc", "a", "x", 4, -1, true), "abc");
}

TEST(TextReplace, FirstOnlyTakesTheLeftmostExactOccurrence) {
  EXPECT_EQ(ReplaceText("ABC abc abc", "abc", "x", 1, 1, true), "ABC x abc");
  // Case-insensitive when the flag is false, as the service always was.
  EXPECT_EQ(ReplaceText("ABC abc", "abc", "x", 1, 1, false), "x abc");
}

TEST(TextReplace, InsertedTextIsNotScannedAgain) {
  EXPECT_EQ(ReplaceText("aXa", "a", "aa", 1, -1, true), "aaXaa");
  EXPECT_EQ(ReplaceText("abcabc", "abc", "x", 2, -1, true), "abcx");
}

TEST(TextReplace, AgreesWithTheCharacterByCharacterRules) {
  std::mt19937 rng(11);
  for (int round = 0; round < 20000; ++round) {
    Text text = RandomText(rng, 24);
    Text part = RandomText(rng, 3);
    Text with = RandomText(rng, 3);
    ASSERT_EQ(ReplaceText(text, part, with, 1, -1, true), NaiveReplaceAll(text, part, with))
        << "round " << round;
    ASSERT_EQ(textscan::ReplaceAll(text, part, with), NaiveReplaceAll(text, part, with));
  }
}

TEST(TextSplit, EmptyTextsDelimitersAndEnds) {
  EXPECT_TRUE(SplitText("").empty());
  EXPECT_EQ(SplitText("a,b,"), (TextArray{"a", "b"}));
  EXPECT_EQ(SplitText(",a"), (TextArray{"", "a"}));
  EXPECT_EQ(SplitText("a,,b"), (TextArray{"a", "", "b"}));
  EXPECT_EQ(SplitText("abc", ""), (TextArray{"abc"}));
  EXPECT_EQ(SplitText("a,b,c", ",", 2), (TextArray{"a", "b"}));
}

TEST(TextSplit, DelimiterInsideACharacterDoesNotCut) {
  // 誡 (D5 5D) followed by "]x": only the real "]" cuts.
  EXPECT_EQ(SplitText("\xD5\x5D]x", "]"), (TextArray{"\xD5\x5D", "x"}));
  // A lone CR LF after a lead byte belongs to that character.
  EXPECT_EQ(SplitText("a\r\n\x81\r\nb", "\r\n"), (TextArray{"a", "\x81\r\nb"}));
}

TEST(TextMisc, RightTextToTextAndDivision) {
  EXPECT_EQ(RightText("abc/", 1), "/");
  EXPECT_EQ(RightText("abc", 0), "");
  EXPECT_EQ(RightText("abc", -2), "");
  EXPECT_EQ(RightText("abc", 9), "abc");
  EXPECT_EQ(RightText("\xD6\xD0", 1), "\xD0");  // counts bytes, not characters
  EXPECT_EQ(ToText(ByteArray("ab\0cd", 5)), "ab");
  EXPECT_EQ(ToText(-42), "-42");
  EXPECT_EQ(CharFromCode(9), "\t");
  EXPECT_EQ(IntegerDivide(-7, 2), -3);
  EXPECT_EQ(TextLength("\xD6\xD0"
                       "a"),
            3);
}

TEST(TextCount, CountsNonOverlappingOccurrencesIgnoringCase) {
  EXPECT_EQ(textscan::Count("aaaa", "aa", true), 2u);
  EXPECT_EQ(textscan::Count("{<_A_>}x{<_a_>}", "{<_a_>}", true), 2u);
  EXPECT_EQ(textscan::Count("", "a", true), 0u);
  EXPECT_EQ(textscan::Count("abc", "", true), 0u);
}

}  // namespace
}  // namespace wordloom
