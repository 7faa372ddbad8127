#include "generator/article_generator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "generator/change_monitor.h"
#include "generator/draw_cache.h"
#include "services/change_epoch.h"
#include "services/files.h"
#include "services/random.h"
#include "support/temp_store.h"
#include "util/file_listing.h"

namespace wordloom {
namespace {

using testing::G;
using testing::TempStore;
constexpr auto kSentence = LibraryKind::kSentence;
constexpr auto kKeyword = LibraryKind::kKeyword;

class GeneratorTest : public ::testing::Test {
 protected:
  TempStore store;
  ArticleGenerator generator;

  // Generates with a fixed seed (the constructor seeded from the clock).
  Text Generate(std::string_view templateUtf8, std::uint32_t seed = 1) {
    SeedRandom(seed);
    return generator.Generate(G(templateUtf8));
  }
};

TEST_F(GeneratorTest, TemplateWithoutTagsChangesOnlyBySynonyms) {
  EXPECT_EQ(Generate("<p>纯文本\t不变</p>\r\n"), G("<p>纯文本\t不变</p>\r\n"));
  store.WriteGbkFile("同义词库/a.txt", "文本=>文字\r\n");
  EXPECT_EQ(Generate("<p>纯文本</p>"), G("<p>纯文字</p>"));
}

TEST_F(GeneratorTest, EachSentenceTagGetsItsOwnDrawAndEachKeywordTagTheSameKeyword) {
  store.RegisterLibrary(kSentence, "one", "{S}");
  store.WriteLibraryFile(kSentence, "one", "a.txt", {"only"});
  EXPECT_EQ(Generate("{S}-{S}-{S}"), "only-only-only");

  store.RegisterLibrary(kKeyword, "k", "{K}");
  store.WriteLibraryFile(kKeyword, "k", "a.txt", {"k1", "k2", "k3", "k4", "k5", "k6", "k7"});
  std::set<Text> seen;
  for (std::uint32_t seed = 1; seed < 40; ++seed) {
    Text article = Generate("{K}|{K}|{K}", seed);
    Text first = article.substr(0, article.find('|'));
    EXPECT_EQ(article, first + "|" + first + "|" + first);
    seen.insert(first);
  }
  EXPECT_GT(seen.size(), 3u);  // the keyword itself varies between articles
}

TEST_F(GeneratorTest, DrawsTheFileFirstAndTheLineSecond) {
  store.RegisterLibrary(kSentence, "lib", "{S}");
  store.WriteLibraryFile(kSentence, "lib", "a.txt", {"a1", "a2", "a3", "a4", "a5"});
  store.WriteLibraryFile(kSentence, "lib", "b.txt", {"b1", "b2"});
  const Text folder = ResourceStore::LibraryFolder(kSentence, "lib");
  TextArray files;  // directory order, as the generator sees it
  EnumerateFiles(folder, "*.txt", files, true);
  for (std::uint32_t seed : {1u, 2u, 3u, 77u}) {
    SeedRandom(seed);
    Text expected;
    for (int i = 0; i < 4; ++i) {
      const Text& file = files[RandomInRange(1, 2) - 1];
      TextArray lines = ResourceStore::SplitLines(ResourceStore::ReadFileAsText(file));
      expected += lines[RandomInRange(1, static_cast<long>(lines.size())) - 1];
    }
    EXPECT_EQ(Generate("{S}{S}{S}{S}", seed), expected) << seed;
  }
}

TEST_F(GeneratorTest, EveryKeywordLibraryDrawsEvenWhenItsTagIsAbsent) {
  store.RegisterLibrary(kKeyword, "absent", "{A}");
  store.WriteLibraryFile(kKeyword, "absent", "a.txt", {"x1", "x2", "x3", "x4", "x5"});
  store.RegisterLibrary(kKeyword, "present", "{P}");
  store.WriteLibraryFile(kKeyword, "present", "p.txt", {"0", "1", "2", "3", "4", "5", "6"});
  SeedRandom(1);
  NextRandom15();  // the draw of "absent"
  const Text expected = ToText(static_cast<long long>(NextRandom15() % 7));
  EXPECT_EQ(Generate("{P}", 1), expected);
}

TEST_F(GeneratorTest, CountingIgnoresLetterCaseButReplacingDoesNot) {
  store.RegisterLibrary(kSentence, "lib", "{<_AB句子_>}");
  store.WriteLibraryFile(kSentence, "lib", "a.txt", {"s1", "s2", "s3"});
  Text article = Generate("{<_ab句子_>}/{<_AB句子_>}", 5);
  EXPECT_EQ(article.substr(0, article.find('/')), G("{<_ab句子_>}"));  // stays as written
  // Two occurrences were counted, so two draws were made: the third value comes next.
  SeedRandom(5);
  NextRandom15();
  NextRandom15();
  const int third = NextRandom15();
  SeedRandom(5);
  generator.Generate(G("{<_ab句子_>}/{<_AB句子_>}"));
  EXPECT_EQ(NextRandom15(), third);
}

TEST_F(GeneratorTest, TagsBroughtInBySentencesFollowTheRegistryOrder) {
  store.RegisterLibrary(kSentence, "early", "{E}");
  store.WriteLibraryFile(kSentence, "early", "a.txt", {"early[{L}]"});
  store.RegisterLibrary(kSentence, "late", "{L}");
  store.WriteLibraryFile(kSentence, "late", "a.txt", {"late[{E}]"});
  store.RegisterLibrary(kKeyword, "city", "{C}");
  store.WriteLibraryFile(kKeyword, "city", "a.txt", {"Paris"});
  store.WriteLibraryFile(kSentence, "late", "a.txt", {"late[{E}]{C}"});
  // "late" comes after "early": its tag inside an early sentence is expanded; the tag of
  // "early" inside a late sentence stays literal; keyword tags are always expanded.
  EXPECT_EQ(Generate("{E}"), "early[late[{E}]Paris]");
  EXPECT_EQ(Generate("{L}"), "late[{E}]Paris");
}

TEST_F(GeneratorTest, ReplacementsTakeTheFirstOccurrenceOfTheTextAsItIsThen) {
  store.RegisterLibrary(kSentence, "self", "T");
  store.WriteLibraryFile(kSentence, "self", "a.txt", {"xTx"});
  EXPECT_EQ(Generate("T"), "xTx");      // one counted replacement: the inserted T stays
  EXPECT_EQ(Generate("TT"), "xxTxxT");  // the second lands inside the first sentence

  store.RegisterLibrary(kSentence, "straddle", "ab");
  store.WriteLibraryFile(kSentence, "straddle", "a.txt", {"bX"});
  // "aabab": the first replacement leaves "abXab", whose first "ab" straddles the old text
  // and the inserted sentence.
  EXPECT_EQ(Generate("aabab"), "bXXab");
}

TEST_F(GeneratorTest, EmptyLibrariesMakeTheirTagsVanish) {
  store.RegisterLibrary(kSentence, "empty", "{E}");
  store.WriteFile("句子库/empty/notes.doc", "ignored");
  store.RegisterLibrary(kSentence, "nofolder", "{N}");
  std::filesystem::remove_all(store.FsPath("句子库/nofolder"));
  store.RegisterLibrary(kKeyword, "blank", "{B}");
  store.WriteFile("关键词库/blank/a.txt", "");
  EXPECT_EQ(Generate("<{E}|{N}|{B}>"), "<||>");
}

TEST_F(GeneratorTest, SynonymRulesApplyInOrderAndNeverRescanTheirOutput) {
  store.WriteFile("同义词库/r.txt", "x=>y\r\ny=>z\r\n");
  EXPECT_EQ(Generate("x y"), "z z");
  store.WriteFile("同义词库/r.txt", "y=>z\r\nx=>y\r\n");
  EXPECT_EQ(Generate("x y"), "y z");
  store.WriteFile("同义词库/r.txt", "a=>aa\r\n");
  EXPECT_EQ(Generate("a-a"), "aa-aa");
}

TEST_F(GeneratorTest, SynonymLinesWithoutAReplacementChangeNothing) {
  store.WriteFile("同义词库/r.txt",
                  "lonely\r\nend=>\r\n\r\n=>start\r\nfirst=>second=>third\r\nab=>\r\n");
  EXPECT_EQ(Generate("lonely end start first ab"), "lonely end start second ab");
}

TEST_F(GeneratorTest, MissingRegistriesAndUnknownTagsLeaveTheText) {
  EXPECT_EQ(Generate("{<_nobody_>}"), "{<_nobody_>}");
  store.RegisterLibrary(kSentence, "lib", "");  // an empty tag replaces nothing
  store.WriteLibraryFile(kSentence, "lib", "a.txt", {"s"});
  EXPECT_EQ(Generate("text"), "text");
}

TEST_F(GeneratorTest, ADrawSeesTheDiskAsItIsAtThatMoment) {
  store.RegisterLibrary(kSentence, "lib", "{S}");
  store.WriteLibraryFile(kSentence, "lib", "a.txt", {"before"});
  const Text folder = ResourceStore::LibraryFolder(kSentence, "lib");
  EXPECT_EQ(generator.PickRandomLine(folder), "before");
  // Rewritten in place by another program, same size: no rename, maybe the same mtime.
  {
    std::ofstream out(store.FsPath("句子库/lib/a.txt"), std::ios::binary | std::ios::in);
    out << "after!";
  }
  EXPECT_EQ(generator.PickRandomLine(folder), "after!");
  // Replaced by this program's own atomic write.
  ASSERT_TRUE(WriteFileBytes(store.Path("句子库/lib/a.txt"), "third\r\n"));
  EXPECT_EQ(generator.PickRandomLine(folder), "third");
  // A file removed and another added.
  std::filesystem::remove(store.FsPath("句子库/lib/a.txt"));
  store.WriteFile("句子库/lib/b.txt", "fourth");
  EXPECT_EQ(generator.PickRandomLine(folder), "fourth");
  // The whole folder replaced.
  std::filesystem::remove_all(store.FsPath("句子库/lib"));
  store.WriteFile("句子库/lib/c.txt", "fifth");
  EXPECT_EQ(generator.PickRandomLine(folder), "fifth");
}

// A store kept in a busy folder (the temporary folder, a home folder) must not be read again
// whenever something beside it changes; the folder itself moved away or replaced is seen.
TEST_F(GeneratorTest, OnlyChangesOfTheWatchedFoldersThemselvesCount) {
  store.RegisterLibrary(kSentence, "lib", "{S}");
  store.RegisterLibrary(kSentence, "other", "{O}");
  store.WriteLibraryFile(kSentence, "lib", "a.txt", {"first"});
  const Text folder = ResourceStore::LibraryFolder(kSentence, "lib");
  EXPECT_EQ(generator.PickRandomLine(folder), "first");

  const std::uint64_t before = CurrentChangeEpoch();
  store.WriteFile("句子库/beside.txt", "x");
  store.WriteFile("句子库/other/b.txt", "y");
  std::filesystem::remove(store.FsPath("句子库/beside.txt"));
  std::filesystem::remove(store.FsPath("句子库/other/b.txt"));
  ChangeMonitor::Instance().Drain();
  EXPECT_EQ(CurrentChangeEpoch(), before);
  EXPECT_EQ(generator.PickRandomLine(folder), "first");

  // Swapped for another folder by renames: the old folder's own watch sees it moved.
  store.WriteLibraryFile(kSentence, "other", "a.txt", {"second"});
  std::filesystem::rename(store.FsPath("句子库/lib"), store.FsPath("句子库/old"));
  std::filesystem::rename(store.FsPath("句子库/other"), store.FsPath("句子库/lib"));
  EXPECT_EQ(generator.PickRandomLine(folder), "second");
  // Watched now is the folder that took the name, not the one that went away.
  store.WriteLibraryFile(kSentence, "lib", "a.txt", {"third"});
  EXPECT_EQ(generator.PickRandomLine(folder), "third");
  // Made anew where it stood: only the parent's watch is left to see it.
  std::filesystem::remove_all(store.FsPath("句子库/lib"));
  std::filesystem::rename(store.FsPath("句子库/old"), store.FsPath("句子库/lib"));
  EXPECT_EQ(generator.PickRandomLine(folder), "first");
}

// What the passes keep between articles (the registries, the rules and what is built over
// them, the libraries' lines) is never older than the disk at the next article.
TEST_F(GeneratorTest, TheNextArticleSeesEveryChangeOnDisk) {
  // Enough libraries that the tags are found by one scan over all of them.
  for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
    store.RegisterLibrary(kSentence, name, std::string("{") + name + "}");
    store.WriteLibraryFile(kSentence, name, "x.txt", {std::string(name) + "1"});
  }
  store.WriteFile("同义词库/r.txt", "a1=>A1\r\n");
  EXPECT_EQ(Generate("{a}{f}"), "A1f1");

  // A rule rewritten in place by another program, same size.
  {
    std::ofstream out(store.FsPath("同义词库/r.txt"), std::ios::binary | std::ios::in);
    out << "f1=>F1";
  }
  EXPECT_EQ(Generate("{a}{f}"), "a1F1");
  // A line rewritten in place.
  {
    std::ofstream out(store.FsPath("句子库/f/x.txt"), std::ios::binary | std::ios::in);
    out << "f2";
  }
  EXPECT_EQ(Generate("{a}{f}"), "a1f2");
  // A registry entry changed by this program, then by another one in place.
  ASSERT_TRUE(ResourceStore::WriteTag(kSentence, "f", "{g}"));
  EXPECT_EQ(Generate("{a}{f}{g}"), "a1{f}f2");
  const std::string registry = store.ReadFile("juzi.ini");
  std::string edited = registry;
  edited.replace(edited.find("{g}"), 3, "{h}");
  {
    std::ofstream out(store.FsPath("juzi.ini"), std::ios::binary | std::ios::in);
    out << edited;
  }
  EXPECT_EQ(Generate("{a}{g}{h}"), "a1{g}f2");
  // A rule file removed.
  std::filesystem::remove(store.FsPath("同义词库/r.txt"));
  EXPECT_EQ(Generate("{a}{h}"), "a1f2");
}

// Each pass stops where the text would pass the size limit, and the article is refused.
TEST_F(GeneratorTest, NoPassMakesAnArticleBeyondTheSizeLimit) {
  const std::string big(kMaxArticleBytes / 4 + 1, 'x');
  store.RegisterLibrary(kSentence, "big", "{S}");
  store.WriteFile("句子库/big/a.txt", big + "\r\n");
  SeedRandom(1);
  EXPECT_TRUE(generator.TryGenerate("{S}{S}{S}").has_value());
  EXPECT_FALSE(generator.TryGenerate("{S}{S}{S}{S}").has_value());
  EXPECT_EQ(generator.Generate("{S}{S}{S}{S}"), "");

  std::filesystem::remove_all(store.FsPath("句子库"));
  store.RegisterLibrary(kKeyword, "big", "{K}");
  store.WriteFile("关键词库/big/a.txt", big + "\r\n");
  EXPECT_TRUE(generator.TryGenerate("{K}{K}{K}").has_value());
  EXPECT_FALSE(generator.TryGenerate("{K}{K}{K}{K}").has_value());

  // A rule that lengthens the text: the growth of all its replacements together counts.
  store.WriteFile("同义词库/r.txt", "q=>" + std::string(1 << 20, 'y') + "\r\n");
  EXPECT_TRUE(generator.TryGenerate(std::string(64, 'q')).has_value());  // 64 MiB exactly
  EXPECT_FALSE(generator.TryGenerate(std::string(65, 'q')).has_value());
}

TEST_F(GeneratorTest, LinesFollowTheLineRuleAndStopAtANul) {
  store.RegisterLibrary(kSentence, "lib", "{S}");
  store.WriteFile("句子库/lib/a.txt", std::string("lf\nonly\r\n\r\ntail\0hidden\r\n", 25));
  const Text folder = ResourceStore::LibraryFolder(kSentence, "lib");
  std::set<Text> drawn;
  for (std::uint32_t seed = 0; seed < 60; ++seed) {
    SeedRandom(seed);
    drawn.insert(generator.PickRandomLine(folder));
  }
  EXPECT_EQ(drawn, (std::set<Text>{"lf\nonly", "", "tail"}));
}

TEST_F(GeneratorTest, EveryLineOfALongFileCanBeDrawn) {
  store.RegisterLibrary(kSentence, "big", "{S}");
  std::string content;
  for (int i = 1; i <= 40000; ++i) content += std::to_string(i) + "\r\n";
  store.WriteFile("句子库/big/a.txt", content);
  const Text folder = ResourceStore::LibraryFolder(kSentence, "big");
  SeedRandom(9);
  long highest = 0;
  for (int i = 0; i < 20000; ++i)
    highest = std::max(highest, std::stol(generator.PickRandomLine(folder)));
  EXPECT_GT(highest, 32768);
}

// A registered name that could name a folder elsewhere draws like a library without a folder.
TEST_F(GeneratorTest, ARegistryNameNeverReachesAFolderOutsideItsLibrary) {
  store.WriteGbkFile("模版/secret.txt", "secret line\r\n");
  store.RegisterLibrary(kSentence, "words", "{W}");
  store.WriteLibraryFile(kSentence, "words", "a.txt", {"w1", "w2", "w3", "w4", "w5", "w6"});
  const std::string registry = store.ReadFile("juzi.ini");
  store.WriteFile("juzi.ini", "[../模版]\r\n" + G("标签") + "={X}\r\n" + registry);
  const Text escaping = Generate("{X}{X}{W}{W}|" + std::string(50, '.'), 5);
  EXPECT_EQ(escaping.find("secret"), Text::npos);

  store.WriteFile("juzi.ini", "[nowhere]\r\n" + G("标签") + "={X}\r\n" + registry);
  EXPECT_EQ(escaping, Generate("{X}{X}{W}{W}|" + std::string(50, '.'), 5))
      << "the same draws as a library whose folder does not exist";
}

TEST_F(GeneratorTest, PipesDevicesAndHugeFilesDrawNoLines) {
  store.RegisterLibrary(kSentence, "odd", "{O}");
  store.MakeFifo("句子库/odd/pipe.txt");
  store.MakeLink("句子库/odd/zero.txt", "/dev/zero");
  store.MakeOversizedFile("句子库/odd/huge.txt");
  for (std::uint32_t seed = 1; seed <= 6; ++seed) EXPECT_EQ(Generate("<{O}>", seed), "<>");
}

// Lines that call later libraries multiply the article; it stops at the size limit in
// whichever pass crosses it, and normal articles never come near it.
TEST_F(GeneratorTest, RunawayExpansionStopsAtTheSizeLimit) {
  auto calls = [](const std::string& tag, int times) {
    std::string line;
    for (int i = 0; i < times; ++i) line += tag;
    return line;
  };
  store.RegisterLibrary(kSentence, "s1", "{S1}");
  store.RegisterLibrary(kSentence, "s2", "{S2}");
  store.WriteLibraryFile(kSentence, "s1", "a.txt", {calls("{S2}", 2000)});
  store.WriteLibraryFile(kSentence, "s2", "a.txt", {calls("{S3}", 2000)});
  SeedRandom(1);
  EXPECT_FALSE(generator.TryGenerate(G(calls("{S1}", 300))));
  EXPECT_EQ(Generate("{S1}").size(), 2000u * 2000u * 4u) << "below the limit it expands fully";

  store.RegisterLibrary(kKeyword, "k1", "{K1}");
  store.RegisterLibrary(kKeyword, "k2", "{K2}");
  store.WriteLibraryFile(kKeyword, "k1", "a.txt", {calls("{K2}", 3000)});
  store.WriteLibraryFile(kKeyword, "k2", "a.txt", {calls("{K3}", 3000)});
  SeedRandom(1);
  EXPECT_FALSE(generator.TryGenerate(G(calls("{K1}", 300))));

  store.WriteFile("同义词库/grow.txt", calls("ab=>" + calls("ab", 1000) + "\r\n", 3));
  SeedRandom(1);
  EXPECT_FALSE(generator.TryGenerate("ab ab ab"));
}

TEST(DrawCacheLines, AgreeWithTheLineRule) {
  TempStore store;
  const std::string contents[] = {"",
                                  "\r\n",
                                  "a",
                                  "a\r\n",
                                  "\r\n\r\nb",
                                  "a\r\n\r\nb\r\n",
                                  "\x81\r\nx\r\n",
                                  "x\xD5\x5D\r\n\r",
                                  std::string("a\0\r\nb", 5)};
  int i = 0;
  for (const std::string& content : contents) {
    const std::string name = "f" + std::to_string(i++) + ".txt";
    store.WriteFile(name, content);
    auto index = DrawCache::Instance().Lines(store.Path(name));
    TextArray lines;
    for (std::size_t k = 0; k < index->Count(); ++k) lines.emplace_back(index->Line(k));
    EXPECT_EQ(lines, ResourceStore::SplitLines(ResourceStore::ReadFileAsText(store.Path(name))));
  }
}

}  // namespace
}  // namespace wordloom
