// The passes' fast paths against the plain definition, on random texts made of the bytes
// that make double-byte scanning hard: "[", "]", "\" and letters that are also second bytes,
// lead bytes that pair with them, a lone lead byte, and the "=>" of synonym lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <vector>

#include "generator/article_generator.h"
#include "generator/rule_application.h"
#include "services/random.h"
#include "support/temp_store.h"
#include "util/file_listing.h"

namespace wordloom {
namespace {

using testing::G;
using testing::TempStore;

class RandomTexts {
 public:
  // A wide alphabet makes most byte pairs rare, as in real text, so that a rule can find
  // what an earlier replacement brought in and nothing else.
  RandomTexts(std::uint32_t seed, bool wide) : rng_(seed) {
    singles_ = "abAB[]\\=>";
    leads_ = "\xB0\xB1\xD5\x81";
    trails_ = "\xB0\xB1\xA1\x5D\x5C[]";
    if (wide) {
      singles_ += "cdefgh";
      leads_ += "\xB2\xB3\xFE";
      trails_ += "\xB2\xA2\xA3\xFE";
    }
  }

  // Mostly double-byte characters, as GBK text is: runs in which a search finds candidates
  // that straddle two characters. Now and then a lead byte stands alone.
  std::string Make(std::size_t maxLength) {
    const std::size_t length = Below(maxLength + 1);
    std::string s;
    while (s.size() < length) {
      const std::size_t kind = Below(10);
      if (kind < 3) {
        s += Pick(singles_);
      } else {
        s += Pick(leads_);
        if (kind > 3) s += Pick(trails_);
      }
    }
    s.resize(length);
    return s;
  }

  std::size_t Below(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
  }

 private:
  char Pick(const std::string& from) { return from[Below(from.size())]; }

  std::mt19937 rng_;
  std::string singles_, leads_, trails_;
};

// Each replacement takes the first occurrence, scanning the whole text from its start.
TEST(ReplacementEquivalence, SentencePassMatchesTheFirstOccurrenceRule) {
  TempStore store;
  ArticleGenerator generator;
  RandomTexts random(20240601, false);
  for (int round = 0; round < 600; ++round) {
    // Two fixed cases first: every replacement makes an occurrence that starts before the
    // one replaced, so the search walks back step by step; occurrences overlap, and count
    // once. Tags of letters only are matched without a fixed byte to look for.
    const std::string tag = round == 0             ? "ab"
                            : round == 1           ? "aa"
                            : random.Below(5) == 0 ? std::string("aB").substr(random.Below(2))
                                                   : random.Make(3) + "a";
    std::string file = round == 0 ? "b\r\n" : round == 1 ? "x\r\ny\r\n" : "";
    for (std::size_t i = 0, n = round < 2 ? 0 : 1 + random.Below(4); i < n; ++i) {
      // Sentences that hold the tag, or part of it, make later matches land in them.
      file +=
          (random.Below(3) == 0 ? random.Make(2) + tag + random.Make(2) : random.Make(5)) + "\r\n";
    }
    // A lead byte before CR LF takes the CR: the file's lines are what the line rule says.
    const TextArray lines = ResourceStore::SplitLines(file);
    if (lines.empty()) continue;
    store.WriteFile("juzi.ini", "[lib]\r\n" + G("标签") + "=" + tag + "\r\n");
    store.WriteFile("句子库/lib/a.txt", file);
    std::string text = round == 0 ? "aaaaaababab" : round == 1 ? "aaa-aAa" : random.Make(12);
    for (std::size_t k = round < 2 ? 0 : random.Below(4); k > 0; --k) {
      // In other letter case the tag is counted, and costs a draw, but is never replaced.
      std::string written = tag;
      if (random.Below(3) == 0) {
        for (char& c : written) c = std::isalpha(static_cast<unsigned char>(c)) ? c ^ 0x20 : c;
      }
      text += written + random.Make(6);
    }

    SeedRandom(static_cast<std::uint32_t>(round));
    std::string expected = text;
    const std::size_t n = textscan::Count(text, tag, true);
    for (std::size_t i = 0; i < n; ++i) {
      const Text& line = lines[RandomInRange(1, static_cast<long>(lines.size())) - 1];
      const std::size_t p = textscan::Find(expected, tag, 0, false);
      if (p != textscan::kNotFound) expected.replace(p, tag.size(), line);
    }
    const int afterDraws = NextRandom15();  // one draw per counted occurrence
    SeedRandom(static_cast<std::uint32_t>(round));
    ASSERT_EQ(generator.ExpandSentenceTags(text), expected)
        << "round " << round << ", tag " << ::testing::PrintToString(tag) << ", text "
        << ::testing::PrintToString(text);
    ASSERT_EQ(NextRandom15(), afterDraws) << "round " << round;
  }
}

// The tag passes over several libraries, one library after another as the plain definition
// goes: count (letter case ignored), draw, replace the first exact occurrence. Enough
// libraries that the passes find the occurring tags with one scan and follow the text as
// earlier libraries change it: tags that overlap, twins in other letter case, lines that
// hold later libraries' tags whole or in part.
struct PlainLibrary {
  std::string tag;
  TextArray lines;
};

std::string PlainTagPass(std::string text, const std::vector<PlainLibrary>& libraries,
                         bool keywords) {
  for (const PlainLibrary& library : libraries) {
    // One file per library: its draw takes no random number.
    auto draw = [&] {
      return library.lines[RandomInRange(1, static_cast<long>(library.lines.size())) - 1];
    };
    const Text keyword = keywords ? draw() : Text();
    const std::size_t n = textscan::Count(text, library.tag, true);
    for (std::size_t i = 0; i < n; ++i) {
      const Text line = keywords ? keyword : draw();
      const std::size_t p = textscan::Find(text, library.tag, 0, false);
      if (p != textscan::kNotFound) text.replace(p, library.tag.size(), line);
    }
  }
  return text;
}

TEST(ReplacementEquivalence, TagPassesOverManyLibrariesMatchTheLibraryByLibraryRule) {
  TempStore store;
  ArticleGenerator generator;
  RandomTexts random(99, false);
  for (int round = 0; round < 300; ++round) {
    const bool keywords = round % 2 == 1;
    std::vector<PlainLibrary> libraries(5 + random.Below(5));
    for (std::size_t i = 0; i < libraries.size(); ++i) {
      std::string& tag = libraries[i].tag;
      if (i > 0 && random.Below(4) == 0) {
        // A twin of an earlier tag in other letter case, or a piece of it.
        tag = libraries[random.Below(i)].tag;
        for (char& c : tag) c = std::isalpha(static_cast<unsigned char>(c)) ? c ^ 0x20 : c;
        if (random.Below(2) == 0 && tag.size() > 1) tag = tag.substr(random.Below(tag.size()));
      } else {
        tag = random.Make(3) + "a";
      }
    }
    std::string ini;
    for (std::size_t i = 0; i < libraries.size(); ++i) {
      const std::string name = "lib" + std::to_string(i);
      ini += "[" + name + "]\r\n" + G("标签") + "=" + libraries[i].tag + "\r\n";
      std::string file;
      for (std::size_t k = 1 + random.Below(3); k > 0; --k) {
        // Lines that bring in a later library's tag, or the start or end of one.
        const std::string& other = libraries[random.Below(libraries.size())].tag;
        const std::size_t shape = random.Below(4);
        const std::string piece = shape == 0   ? other
                                  : shape == 1 ? other.substr(0, 1 + random.Below(other.size()))
                                  : shape == 2 ? other.substr(random.Below(other.size()))
                                               : std::string();
        file += random.Make(3) + piece + random.Make(2) + "\r\n";
      }
      libraries[i].lines = ResourceStore::SplitLines(file);
      if (libraries[i].lines.empty()) {
        file = "x\r\n";
        libraries[i].lines = {"x"};
      }
      store.WriteFile((keywords ? "关键词库/" : "句子库/") + name + "/a.txt", file);
    }
    store.WriteFile(keywords ? "keyword.ini" : "juzi.ini", ini);
    store.WriteFile(keywords ? "juzi.ini" : "keyword.ini", "");

    std::string text = random.Make(10);
    for (std::size_t k = random.Below(6); k > 0; --k) {
      text += libraries[random.Below(libraries.size())].tag + random.Make(4);
    }
    SeedRandom(static_cast<std::uint32_t>(round));
    const std::string expected = PlainTagPass(text, libraries, keywords);
    const int afterDraws = NextRandom15();
    SeedRandom(static_cast<std::uint32_t>(round));
    const Text actual =
        keywords ? generator.ExpandKeywordTags(text) : generator.ExpandSentenceTags(text);
    ASSERT_EQ(actual, expected) << "round " << round << ", text " << ::testing::PrintToString(text)
                                << ", registry " << ::testing::PrintToString(ini);
    ASSERT_EQ(NextRandom15(), afterDraws) << "round " << round;
  }
}

// Rule after rule, each replacing every occurrence in the text the earlier rules left.
TEST(ReplacementEquivalence, SynonymPassMatchesRuleAfterRule) {
  TempStore store;
  ArticleGenerator generator;
  RandomTexts random(7, true);
  for (int round = 0; round < 900; ++round) {
    // Now and then a long text with many rules: replacements land in pieces that earlier
    // ones cut, far apart and side by side.
    const bool large = round % 3 == 2;
    const std::string text = random.Make(large ? 400 : 40);
    std::string files[2];
    // Half of the find texts are taken from the text as the rules before left it, often
    // across the ends of what they inserted; the other half are random.
    std::string guide = text;
    for (std::string& file : files) {
      for (std::size_t i = random.Below(large ? 60 : 12); i > 0; --i) {
        std::string find = random.Make(3);
        if (random.Below(2) == 0 && guide.size() >= 3) {
          find = guide.substr(random.Below(guide.size() - 2), 2 + random.Below(2));
        }
        // Mostly "find=>replacement"; sometimes a line of one piece or of three.
        // "find=>=>x" replaces by nothing.
        const std::string line = find + (random.Below(8) != 0 ? "=>" : "") +
                                 (random.Below(6) == 0 ? "=>" : "") + random.Make(3);
        file += line + "\r\n";
        const TextArray pieces = SplitText(line, "=>");
        if (pieces.size() >= 2) guide = textscan::ReplaceAll(guide, pieces[0], pieces[1]);
      }
    }
    store.WriteFile("同义词库/one.txt", files[0]);
    store.WriteFile("同义词库/two.txt", files[1]);

    TextArray paths;
    EnumerateFiles(ResourceStore::SynonymFolder(), "*.txt", paths, true);
    std::string expected = text;
    for (const Text& path : paths) {
      for (const Text& line : ResourceStore::SplitLines(ResourceStore::ReadFileAsText(path))) {
        const TextArray pieces = SplitText(line, "=>");
        if (pieces.size() >= 2) expected = textscan::ReplaceAll(expected, pieces[0], pieces[1]);
      }
    }
    ASSERT_EQ(generator.ApplySynonyms(text), expected)
        << "round " << round << ", text " << ::testing::PrintToString(text) << ", rules "
        << ::testing::PrintToString(files[0]) << " " << ::testing::PrintToString(files[1]);
  }
}

// Texts and rules of whole characters, as real synonym files are: the pass then looks for
// occurrences only where characters start. Second bytes that are also ASCII ("\\", "[", "a")
// make occurrences that straddle two characters. A rule's texts are always whole characters
// but for a replacement that ends a file in a lone lead byte: it moves the characters' starts
// of what follows its replacements, and the rules after it (in the next file) see that.
class WholeCharacters {
 public:
  explicit WholeCharacters(std::uint32_t seed) : rng_(seed) {}

  std::string Make(std::size_t characters) {
    std::string s;
    for (std::size_t i = 0; i < characters; ++i) {
      if (Below(4) == 0) {
        s += "ab[\\"[Below(4)];
      } else {
        s += "\xB0\xB1\xD5\x81"[Below(4)];
        s += "\xB0\xA1\x5C[a"[Below(5)];
      }
    }
    return s;
  }

  // Up to `characters` whole characters of the text from a character's start.
  std::string Piece(const std::string& text, std::size_t characters) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) starts.push_back(i);
    if (starts.empty()) return Make(1);
    const std::size_t first = Below(starts.size());
    const std::size_t last = std::min(starts.size(), first + characters);
    const std::size_t end = last < starts.size() ? starts[last] : text.size();
    return text.substr(starts[first], end - starts[first]);
  }

  std::size_t Below(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
  }

 private:
  std::mt19937 rng_;
};

TEST(ReplacementEquivalence, SynonymPassOverWholeCharactersMatchesRuleAfterRule) {
  TempStore store;
  ArticleGenerator generator;
  WholeCharacters random(11);
  // The files in the order the pass reads them (the file system's).
  store.WriteFile("同义词库/a.txt", "");
  store.WriteFile("同义词库/b.txt", "");
  TextArray paths;
  EnumerateFiles(ResourceStore::SynonymFolder(), "*.txt", paths, true);
  ASSERT_EQ(paths.size(), 2u);
  for (int round = 0; round < 600; ++round) {
    // Long texts span many 64-byte blocks of the first search and many pieces.
    const bool large = round % 4 == 3;
    const std::string text = random.Make(large ? 300 + random.Below(300) : random.Below(40));
    std::string files[2];
    std::string guide = text;  // the text as the rules so far leave it
    for (std::string& file : files) {
      for (std::size_t i = 0, n = 1 + random.Below(large ? 40 : 6); i < n; ++i) {
        // Mostly what the text holds now, across the ends of earlier replacements too.
        const std::string find =
            random.Below(4) != 0 ? random.Piece(guide, random.Below(8) == 0 ? 5 + random.Below(4)
                                                                            : 1 + random.Below(3))
                                 : random.Make(1 + random.Below(2));
        const std::string replacement = random.Below(6) == 0 ? "" : random.Make(random.Below(4));
        file += find + "=>" + replacement + "\r\n";
        guide = textscan::ReplaceAll(guide, find, replacement);
      }
    }
    if (round % 3 == 1) {
      // The first file's last rule replaces by characters and a lone lead byte.
      const std::string find = random.Piece(guide, 1);
      const std::string replacement = random.Make(random.Below(2)) + "\xB1";
      files[0] += find + "=>" + replacement;
      guide = textscan::ReplaceAll(guide, find, replacement);
      // Now the rules after it find what straddles its ends, or what it shifted.
      for (std::size_t i = 0; i < 4; ++i) files[1] += random.Piece(guide, 2) + "=>x\r\n";
    }
    for (int k = 0; k < 2; ++k) {
      const std::string name = paths[k].substr(paths[k].size() - 5);
      store.WriteFile("同义词库/" + name, files[k]);
    }

    std::string expected = text;
    for (const std::string& file : files) {
      for (const Text& line : ResourceStore::SplitLines(file)) {
        const TextArray pieces = SplitText(line, "=>");
        if (pieces.size() >= 2) expected = textscan::ReplaceAll(expected, pieces[0], pieces[1]);
      }
    }
    ASSERT_EQ(generator.ApplySynonyms(text), expected)
        << "round " << round << ", text " << ::testing::PrintToString(text) << ", rules "
        << ::testing::PrintToString(files[0]) << " " << ::testing::PrintToString(files[1]);
  }
}

// A text past a mebibyte starts in longer pieces.
TEST(ReplacementEquivalence, SynonymPassOverALongTextMatchesRuleAfterRule) {
  TempStore store;
  ArticleGenerator generator;
  WholeCharacters random(23);
  const std::string text = random.Make(700000);
  ASSERT_GT(text.size(), std::size_t{1} << 20);
  std::string rules;
  std::string guide = text;
  for (int i = 0; i < 12; ++i) {
    const std::string find = random.Piece(guide, 1 + random.Below(3));
    const std::string replacement = random.Make(random.Below(4));
    rules += find + "=>" + replacement + "\r\n";
    guide = textscan::ReplaceAll(guide, find, replacement);
  }
  store.WriteFile("同义词库/rules.txt", rules);
  // ("find=>" with nothing after it is no rule.)
  std::string expected = text;
  for (const Text& line : ResourceStore::SplitLines(rules)) {
    const TextArray pieces = SplitText(line, "=>");
    if (pieces.size() >= 2) expected = textscan::ReplaceAll(expected, pieces[0], pieces[1]);
  }
  EXPECT_TRUE(generator.ApplySynonyms(text) == expected) << ::testing::PrintToString(rules);
}

// Many rules with one find text: each occurrence is handed from rule to rule. Doubling it
// again and again leaves too many occurrences to follow one by one, and the rest of the pass
// goes over the whole text rule by rule; the result, and where the limit stops it, are the
// same either way.
TEST(ReplacementEquivalence, RulesSharingAFindTextMatchRuleAfterRulePastAMillionOccurrences) {
  std::vector<SynonymRule> rules;
  for (int i = 0; i < 21; ++i) rules.push_back({"x", "xx"});
  rules.push_back({"xx", "y"});
  rules.push_back({"y", "\xB0\xA1"});
  rules.push_back({"\xA1\xB0", "-"});  // straddles two characters: never at a boundary
  rules.push_back({"x", "q"});
  const SynonymSet set(rules);
  std::string expected = "x";
  for (const SynonymRule& rule : rules) {
    expected = textscan::ReplaceAll(expected, rule.find, rule.replacement);
  }
  ASSERT_EQ(expected.size(), std::size_t{2} << 20);

  std::string text = "x";
  EXPECT_TRUE(ApplyRules(text, set, kMaxArticleBytes));
  EXPECT_TRUE(text == expected);

  // One mebibyte fits what the twentieth doubling leaves, and not the next one.
  text = "x";
  EXPECT_FALSE(ApplyRules(text, set, std::size_t{1} << 20));
  EXPECT_TRUE(text == std::string(std::size_t{1} << 20, 'x'));
}

}  // namespace
}  // namespace wordloom
