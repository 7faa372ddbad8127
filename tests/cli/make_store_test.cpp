// wordloom-make-store: the synthetic store the benchmarks measure has the stated shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "run_tool.h"
#include "services/encoding.h"
#include "services/text.h"
#include "store/resource_store.h"
#include "support/temp_store.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::G;
using testing::RunTool;
using testing::TempStore;
using testing::ToolRun;

bool AllGbk(const std::string& text) {
  const std::u16string unicode = DecodeGbk(text);
  return std::none_of(unicode.begin(), unicode.end(),
                      [](char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; });
}

TEST(MakeStore, WritesTheStatedShapeWithRulesThatBite) {
  TempStore scratch;
  const std::string dest = TextToFileSystem(scratch.Root()) + "/新库";
  const ToolRun made =
      RunTool(WORDLOOM_MAKE_STORE_TOOL, {dest, "--sentences", "1001", "--synonyms", "50"});
  ASSERT_EQ(made.status, 0) << made.err;

  std::string sentences;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dest + "/句子库/基准句子")) {
    ++files;
    sentences += Contents(entry.path().string());
  }
  EXPECT_EQ(files, 10);
  const TextArray lines = ResourceStore::SplitLines(sentences);
  ASSERT_EQ(lines.size(), 1001u);
  for (const Text& line : lines) {
    ASSERT_GE(line.size(), 56u);
    ASSERT_LE(line.size(), 64u);
    ASSERT_TRUE(AllGbk(line)) << line;
  }
  EXPECT_EQ(ResourceStore::SplitLines(Contents(dest + "/关键词库/基准关键词/关键词.txt")).size(),
            10000u);

  const std::string templateText = Contents(dest + "/模版/基准模版.txt");
  EXPECT_GT(templateText.size(), 1800u);
  EXPECT_LT(templateText.size(), 2300u);
  EXPECT_EQ(textscan::Count(templateText, G("{<_基准句子_>}"), false), 50u);
  EXPECT_EQ(textscan::Count(templateText, G("{<_基准关键词_>}"), false), 20u);

  const TextArray rules = ResourceStore::SplitLines(Contents(dest + "/同义词库/基准替换.txt"));
  ASSERT_EQ(rules.size(), 50u);
  std::set<Text> finds;
  for (const Text& rule : rules) {
    const TextArray pieces = SplitText(rule, "=>");
    ASSERT_EQ(pieces.size(), 2u) << rule;
    EXPECT_NE(FindText(sentences, pieces[0]), -1) << "never occurs: " << pieces[0];
    finds.insert(pieces[0]);
  }
  EXPECT_EQ(finds.size(), 50u);

  // The registries call the libraries, and the rules change the articles.
  const ToolRun withRules =
      RunTool(WORDLOOM_GENERATE_TOOL, {"--dir", dest, "--seed", "4", "基准模版.txt"});
  ASSERT_EQ(withRules.status, 0) << withRules.err;
  EXPECT_EQ(withRules.out.find(G("{<_")), std::string::npos);
  EXPECT_GT(withRules.out.size(), 4000u);
  fs::remove(dest + "/同义词库/基准替换.txt");
  const ToolRun withoutRules =
      RunTool(WORDLOOM_GENERATE_TOOL, {"--dir", dest, "--seed", "4", "基准模版.txt"});
  EXPECT_NE(withoutRules.out, withRules.out);
}

TEST(MakeStore, IsReproducibleAndNeverWritesOverAStore) {
  TempStore scratch;
  const std::string root = TextToFileSystem(scratch.Root());
  ASSERT_EQ(RunTool(WORDLOOM_MAKE_STORE_TOOL, {root + "/a", "--sentences", "30"}).status, 0);
  ASSERT_EQ(RunTool(WORDLOOM_MAKE_STORE_TOOL, {root + "/b", "--sentences", "30"}).status, 0);
  EXPECT_EQ(Contents(root + "/a/句子库/基准句子/句子03.txt"),
            Contents(root + "/b/句子库/基准句子/句子03.txt"));
  EXPECT_EQ(Contents(root + "/a/模版/基准模版.txt"), Contents(root + "/b/模版/基准模版.txt"));

  scratch.WriteFile("c/keyword.ini", "the user's");
  const ToolRun refused = RunTool(WORDLOOM_MAKE_STORE_TOOL, {root + "/c"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("already holds a store"), std::string::npos) << refused.err;
  EXPECT_EQ(scratch.ReadFile("c/keyword.ini"), "the user's");
  EXPECT_FALSE(scratch.Exists("c/juzi.ini"));

  EXPECT_EQ(RunTool(WORDLOOM_MAKE_STORE_TOOL, {root + "/d", "--sentences", "x"}).status, 2);
  EXPECT_FALSE(scratch.Exists("d"));
}

// Many small libraries: every one registered with its own tag and holding its lines, the
// template calling ten of each kind from across the registry; and more rules than the
// sentences have words, the ones that find those words first.
TEST(MakeStore, WritesManyLibrariesAndManyRules) {
  TempStore scratch;
  const std::string dest = TextToFileSystem(scratch.Root()) + "/many";
  const ToolRun made =
      RunTool(WORDLOOM_MAKE_STORE_TOOL, {dest, "--libraries", "25", "--synonyms", "4000"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_FALSE(fs::exists(dest + "/句子库/基准句子"));

  const std::string templateText = Contents(dest + "/模版/基准模版.txt");
  std::string sentences;
  std::set<std::string> calledSentences, calledKeywords;
  for (const bool sentenceKind : {true, false}) {
    const std::string registry = Contents(dest + (sentenceKind ? "/juzi.ini" : "/keyword.ini"));
    for (int i = 1; i <= 25; ++i) {
      char number[8];
      std::snprintf(number, sizeof number, "%04d", i);
      const std::string name = (sentenceKind ? "句子" : "关键词") + std::string(number);
      const Text tag = G("{<_" + name + "_>}");
      EXPECT_NE(registry.find(G("[" + name + "]\r\n标签=") + tag + "\r\n"), std::string::npos)
          << name;
      const std::string file = dest + (sentenceKind ? "/句子库/" : "/关键词库/") + name +
                               (sentenceKind ? "/句子.txt" : "/关键词.txt");
      const TextArray lines = ResourceStore::SplitLines(Contents(file));
      EXPECT_EQ(lines.size(), sentenceKind ? 50u : 20u) << file;
      for (const Text& line : lines) ASSERT_TRUE(AllGbk(line)) << line;
      if (sentenceKind) sentences += Contents(file);
      if (textscan::Count(templateText, tag, false) > 0) {
        (sentenceKind ? calledSentences : calledKeywords).insert(name);
      }
    }
  }
  EXPECT_EQ(calledSentences.size(), 10u);
  EXPECT_EQ(calledKeywords.size(), 10u);
  // Spread: libraries before the first called one and after the last are left out.
  EXPECT_EQ(calledSentences.count(G("句子0001")), 0u);
  EXPECT_EQ(calledSentences.count(G("句子0025")), 0u);
  EXPECT_EQ(textscan::Count(templateText, G("{<_句子"), false), 50u);
  EXPECT_EQ(textscan::Count(templateText, G("{<_关键词"), false), 20u);

  const TextArray rules = ResourceStore::SplitLines(Contents(dest + "/同义词库/基准替换.txt"));
  ASSERT_EQ(rules.size(), 4000u);
  std::set<Text> finds;
  std::size_t occurring = 0;
  for (std::size_t r = 0; r < rules.size(); ++r) {
    const TextArray pieces = SplitText(rules[r], "=>");
    ASSERT_EQ(pieces.size(), 2u) << rules[r];
    ASSERT_TRUE(pieces[0].size() == 4 || pieces[0].size() == 6) << pieces[0];
    ASSERT_TRUE(AllGbk(pieces[0]) && AllGbk(pieces[1])) << rules[r];
    finds.insert(pieces[0]);
    if (FindText(sentences, pieces[0]) != -1) ++occurring;
    // The first ones are the words the sentences are made of.
    if (r < 100) {
      EXPECT_NE(FindText(sentences, pieces[0]), -1) << "never occurs: " << pieces[0];
    }
  }
  EXPECT_EQ(finds.size(), 4000u);
  // At most the 3,000 words of the sentences, and whatever the others meet by chance.
  EXPECT_LT(occurring, 3200u);

  const ToolRun generated =
      RunTool(WORDLOOM_GENERATE_TOOL, {"--dir", dest, "--seed", "2", "基准模版.txt"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  EXPECT_EQ(generated.out.find(G("{<_")), std::string::npos);
  EXPECT_GT(generated.out.size(), 3000u);
}

}  // namespace
}  // namespace wordloom
