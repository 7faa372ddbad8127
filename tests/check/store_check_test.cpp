// The store check on stores built for it: each kind of problem found once, at its place,
// and the growth bound held against what the generator really does.
#include "check/store_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>

#include "generator/article_generator.h"
#include "services/encoding.h"
#include "support/temp_store.h"

namespace wordloom::check {
namespace {

using testing::G;
using testing::TempStore;

// "kind where[:line]" for every finding, as UTF-8.
std::multiset<std::string> Summary(const CheckReport& report) {
  std::multiset<std::string> out;
  for (const Finding& f : report.findings)
    out.insert(std::string(KindName(f.kind)) + " " + f.WhereShown());
  return out;
}

std::vector<const Finding*> OfKind(const CheckReport& report, FindingKind kind) {
  std::vector<const Finding*> out;
  for (const Finding& f : report.findings) {
    if (f.kind == kind) out.push_back(&f);
  }
  return out;
}

std::string Repeat(std::string_view text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// A store with one instance of every kind of finding, each standing where the kind says.
void BuildStoreWithOneOfEach(const TempStore& store) {
  store.WriteGbkFile("juzi.ini",
                     "[开头]\r\n标签={<_开头句子_>}\r\n"     // 1-2 fine
                     "[../模版]\r\n标签={<_越界句子_>}\r\n"  // 3-4 unsafe-name
                     "[缺失]\r\n标签={<_缺失句子_>}\r\n"     // 5-6 missing-folder
                     "[无标签]\r\n"                          // 7 no-tag
                     "[重复]\r\n标签={<_开头句子_>}\r\n"     // 8-9 duplicate-tag
                     "[炸弹]\r\n标签={<_炸弹句子_>}\r\n"     // 10-11 runaway through 爆, 碎
                     "[爆]\r\n标签={<_爆句子_>}\r\n"         // 12-13
                     "[碎]\r\n标签={<_碎句子_>}\r\n"         // 14-15
                     "[空]\r\n标签={<_空句子_>}\r\n"         // 16-17 empty-library
                     "[闲置]\r\n标签={<_闲置句子_>}\r\n"     // 18-19 unused-library
                     "[管道]\r\n标签={<_管道句子_>}\r\n"     // 20-21 not-regular-file
                     "[大]\r\n标签={<_大句子_>}\r\n"         // 22-23 oversized-file
                     "[外文]\r\n标签={<_外文句子_>}\r\n"     // 24-25 utf8-file
                     "[坏码]\r\n标签={<_坏码句子_>}\r\n");   // 26-27 invalid-gbk
  store.WriteGbkFile("keyword.ini",
                     "[甲]\r\n标签={<_ab关键词_>}\r\n"
                     "[乙]\r\n标签={<_AB关键词_>}\r\n");  // 3-4 tag-overlap (letter case)
  using K = LibraryKind;
  store.WriteLibraryFile(K::kSentence, "开头", "a.txt", {"大家好。"});
  store.WriteLibraryFile(K::kSentence, "无标签", "a.txt", {"没人叫我。"});
  store.WriteLibraryFile(K::kSentence, "重复", "a.txt", {"抢不到。"});
  store.WriteLibraryFile(K::kSentence, "炸弹", "a.txt", {Repeat("{<_爆句子_>}", 400)});
  store.WriteLibraryFile(K::kSentence, "爆", "a.txt", {Repeat("{<_碎句子_>}", 400)});
  store.WriteLibraryFile(K::kSentence, "碎", "a.txt", {Repeat("碎片", 250)});
  store.WriteLibraryFile(K::kSentence, "空", "empty.txt", {});
  store.WriteLibraryFile(K::kSentence, "闲置", "a.txt", {"无人问津。"});
  store.WriteLibraryFile(K::kSentence, "管道", "ok.txt", {"还有一行。"});
  store.MakeFifo("句子库/管道/pipe.txt");
  store.WriteLibraryFile(K::kSentence, "大", "ok.txt", {"还有一行。"});
  store.MakeOversizedFile("句子库/大/huge.txt");
  store.WriteFile("句子库/外文/u.txt", "这是 UTF-8。\r\n");
  store.WriteFile("句子库/坏码/b.txt", G("好的一行") + "\r\n" + G("坏") + "\xFF\x20" + "\r\n");
  // "小写" in GBK (D0 A1 D0 B4) is valid UTF-8 as well, yet no UTF-8 file.
  store.WriteLibraryFile(K::kKeyword, "甲", "a.txt", {"小写"});
  store.WriteLibraryFile(K::kKeyword, "乙", "a.txt", {"大写"});
  store.WriteLibraryFile(K::kSentence, "孤儿", "a.txt", {"没有登记。"});  // unregistered-folder

  store.WriteGbkFile("模版/t.txt",
                     "<p>{<_开头句子_>}{<_越界句子_>}{<_缺失句子_>}{<_空句子_>}</p>\r\n"
                     "<p>{<_管道句子_>}{<_大句子_>}{<_外文句子_>}{<_坏码句子_>}</p>\r\n"
                     "<p>{<_ab关键词_>}{<_AB关键词_>}{<_未知句子_>}</p>\r\n");
  store.WriteGbkFile("模版/炸弹.txt", "{<_炸弹句子_>}");
  store.WriteGbkFile("模版/空白.txt", "只是文字。");
  store.WriteGbkFile("同义词库/r.txt", "甲方=>乙方\r\n乙方=>甲方\r\n");
}

TEST(StoreCheck, EachKindIsReportedOnceAtItsPlace) {
  TempStore store;
  BuildStoreWithOneOfEach(store);
  const CheckReport report = CheckStore();
  EXPECT_EQ(Summary(report), (std::multiset<std::string>{
                                 "unsafe-name juzi.ini:3",
                                 "missing-folder juzi.ini:5",
                                 "no-tag juzi.ini:7",
                                 "duplicate-tag juzi.ini:9",
                                 "not-regular-file 句子库/管道/pipe.txt",
                                 "oversized-file 句子库/大/huge.txt",
                                 "runaway-expansion 模版/炸弹.txt",
                                 "unregistered-tag 模版/t.txt:3",
                                 "empty-library 句子库/空",
                                 "tag-overlap keyword.ini:4",
                                 "unused-library juzi.ini:19",
                                 "unregistered-folder 句子库/孤儿",
                                 "utf8-file 句子库/外文/u.txt",
                                 "invalid-gbk 句子库/坏码/b.txt:2",
                                 "template-without-tags 模版/空白.txt",
                                 "synonym-undone 同义词库/r.txt:1",
                                 "variety 模版/t.txt",
                                 "variety 模版/炸弹.txt",
                                 "variety 模版/空白.txt",
                             }));
  EXPECT_EQ(report.errors, 7u);
  EXPECT_EQ(report.warnings, 9u);
  EXPECT_FALSE(report.cancelled);
  // Errors first, then warnings, then the information lines.
  EXPECT_TRUE(std::is_sorted(
      report.findings.begin(), report.findings.end(),
      [](const Finding& a, const Finding& b) { return a.severity() < b.severity(); }));

  // The details name what the user must look for.
  const Finding& runaway = *OfKind(report, FindingKind::kRunawayExpansion).front();
  for (const char* link : {"'炸弹'", "'爆'", "'碎'", "400×", "64 MiB"}) {
    EXPECT_NE(runaway.detail.find(link), std::string::npos) << link << ": " << runaway.detail;
  }
  EXPECT_LT(runaway.detail.find("'炸弹'"), runaway.detail.find("'爆'"));
  const Finding& unregistered = *OfKind(report, FindingKind::kUnregisteredTag).front();
  EXPECT_NE(unregistered.detail.find("'{<_未知句子_>}'"), std::string::npos);
  const Finding& duplicate = *OfKind(report, FindingKind::kDuplicateTag).front();
  EXPECT_NE(duplicate.detail.find("'开头' (juzi.ini:2)"), std::string::npos) << duplicate.detail;
  const Finding& undone = *OfKind(report, FindingKind::kSynonymUndone).front();
  EXPECT_NE(undone.detail.find("同义词库/r.txt:2"), std::string::npos) << undone.detail;
  EXPECT_NE(undone.detailChinese.find("“乙方=>甲方”（同义词库/r.txt:2）"), std::string::npos)
      << undone.detailChinese;

  // What a window needs to open where each is fixed.
  const Finding& pipe = *OfKind(report, FindingKind::kNotRegularFile).front();
  EXPECT_EQ(pipe.subject, Subject::kLibraryFile);
  EXPECT_EQ(pipe.library, G("管道"));
  EXPECT_EQ(pipe.file, "pipe.txt");
  const Finding& unused = *OfKind(report, FindingKind::kUnusedLibrary).front();
  EXPECT_EQ(unused.subject, Subject::kLibrary);
  EXPECT_EQ(unused.library, G("闲置"));
  EXPECT_EQ(OfKind(report, FindingKind::kTemplateWithoutTags).front()->file, G("空白.txt"));
}

// One mistake, one finding: a file saved as UTF-8 is judged as it will be once saved as GBK,
// not as a registry without tags, templates with unknown tags and libraries nobody calls.
TEST(StoreCheck, AUtf8FileIsItsOnlyFindingAndAMistypedTagUsesItsLibrary) {
  TempStore store;
  using K = LibraryKind;
  store.WriteFile("juzi.ini", "[开头]\r\n标签={<_开头句子_>}\r\n[结尾]\r\n标签={<_结尾句子_>}\r\n");
  store.WriteLibraryFile(K::kSentence, "开头", "a.txt", {"大家好。"});
  store.WriteFile("句子库/结尾/a.txt", "再见。\r\n");
  store.WriteGbkFile("keyword.ini", "[城市]\r\n标签={<_城市_>}\r\n");
  store.WriteLibraryFile(K::kKeyword, "城市", "a.txt", {"北京"});
  store.WriteFile("模版/t.txt", "<p>{<_开头句子_>}</p>\r\n<p>{<_结尾句子_>}</p>\r\n");
  store.WriteGbkFile("模版/g.txt", "<p>{<_城市_>}{<_开头句子_>}</p>");
  EXPECT_EQ(Summary(CheckStore()), (std::multiset<std::string>{
                                       "utf8-file juzi.ini",
                                       "utf8-file 句子库/结尾/a.txt",
                                       "utf8-file 模版/t.txt",
                                       "variety 模版/g.txt",
                                       "variety 模版/t.txt",
                                   }));

  // A tag typed in another letter case: the template's mistake, not an unused library.
  store.WriteGbkFile("keyword.ini", "[城市]\r\n标签={<_city_>}\r\n");
  store.WriteGbkFile("模版/g.txt", "<p>{<_CITY_>}{<_开头句子_>}</p>");
  EXPECT_EQ(OfKind(CheckStore(), FindingKind::kUnregisteredTag).size(), 1u);
  EXPECT_TRUE(OfKind(CheckStore(), FindingKind::kUnusedLibrary).empty());
}

TEST(StoreCheck, TheRunawayBoundAgreesWithTheGenerator) {
  // Each level's line calls the next level 300 times: four levels are far beyond the limit,
  // two are not. Registered in reverse, the same lines stay literal tags and stay small.
  struct Case {
    int levels;
    bool reversed;
    bool grows;
  };
  for (const Case& c : {Case{4, false, true}, Case{2, false, false}, Case{4, true, false}}) {
    TempStore store;
    std::string registry;
    for (int i = 0; i < c.levels; ++i) {
      const std::string level = std::to_string(c.reversed ? c.levels - i : i + 1);
      registry += "[L" + level + "]\r\n" + G("标签") + "={L" + level + "}\r\n";
    }
    store.WriteFile("juzi.ini", registry);
    for (int level = 1; level <= c.levels; ++level) {
      const std::string line = level < c.levels
                                   ? Repeat("{L" + std::to_string(level + 1) + "}", 300)
                                   : Repeat("x", 1000);
      store.WriteFile("句子库/L" + std::to_string(level) + "/a.txt", line + "\r\n");
    }
    store.WriteFile("模版/t.txt", "{L1}");
    const bool flagged = !OfKind(CheckStore(), FindingKind::kRunawayExpansion).empty();
    const bool failed = !ArticleGenerator().TryGenerate("{L1}").has_value();
    EXPECT_EQ(flagged, c.grows) << c.levels << " levels, reversed " << c.reversed;
    EXPECT_EQ(failed, c.grows) << c.levels << " levels, reversed " << c.reversed;
  }
}

// Libraries whose lines each call one later library, a different one in each line, as real
// stores nest: the worst line matters, not every later tag at once.
TEST(StoreCheck, LinesThatEachCallOneLaterLibraryStaySmall) {
  TempStore store;
  constexpr int kLibraries = 30;
  std::string registry;
  for (int l = 1; l <= kLibraries; ++l) {
    registry +=
        "[L" + std::to_string(l) + "]\r\n" + G("标签") + "={L" + std::to_string(l) + "}\r\n";
    std::string lines = "plain line\r\n";
    for (int later = l + 1; later <= kLibraries; ++later) {
      lines += "calls {L" + std::to_string(later) + "} here\r\n";
    }
    store.WriteFile("句子库/L" + std::to_string(l) + "/a.txt", lines);
  }
  store.WriteFile("juzi.ini", registry);
  store.WriteFile("模版/t.txt", Repeat("{L1}", 100));
  EXPECT_TRUE(OfKind(CheckStore(), FindingKind::kRunawayExpansion).empty());
  EXPECT_TRUE(ArticleGenerator().TryGenerate(Repeat("{L1}", 100)).has_value());
}

TEST(StoreCheck, KeywordChainsAndLengtheningSynonymsCountTowardTheBound) {
  TempStore store;
  // Keyword lines call later keyword libraries; one keyword serves every occurrence, but
  // each holds 200 of the next: 200^3 x 300 bytes.
  std::string registry;
  for (int k = 1; k <= 4; ++k) {
    registry +=
        "[K" + std::to_string(k) + "]\r\n" + G("标签") + "={K" + std::to_string(k) + "}\r\n";
    store.WriteFile(
        "关键词库/K" + std::to_string(k) + "/a.txt",
        (k < 4 ? Repeat("{K" + std::to_string(k + 1) + "}", 200) : Repeat("y", 300)) + "\r\n");
  }
  store.WriteFile("keyword.ini", registry);
  store.WriteFile("模版/k.txt", "{K1}");
  const CheckReport keywords = CheckStore();
  ASSERT_EQ(OfKind(keywords, FindingKind::kRunawayExpansion).size(), 1u);
  EXPECT_NE(
      OfKind(keywords, FindingKind::kRunawayExpansion)[0]->detail.find("keyword library 'K3'"),
      std::string::npos);
  EXPECT_FALSE(ArticleGenerator().TryGenerate("{K1}").has_value());

  // Rules that each make every "a" 64 of them: three take 1 KB past 64 MiB, two do not.
  std::filesystem::remove_all(store.FsPath("关键词库"));
  std::filesystem::remove(store.FsPath("keyword.ini"));
  store.WriteFile("模版/k.txt", Repeat("a", 1000));
  for (const auto& [rules, grows] : {std::pair{3, true}, std::pair{2, false}}) {
    store.WriteFile("同义词库/grow.txt", Repeat("a=>" + Repeat("a", 64) + "\r\n", rules));
    const CheckReport report = CheckStore();
    const auto found = OfKind(report, FindingKind::kRunawayExpansion);
    EXPECT_EQ(found.size(), grows ? 1u : 0u) << rules;
    if (grows) {
      EXPECT_NE(found[0]->detail.find("(同义词库/grow.txt:1) → '"), std::string::npos)
          << found[0]->detail;
    }
    EXPECT_EQ(ArticleGenerator().TryGenerate(Repeat("a", 1000)).has_value(), !grows) << rules;
  }
  // The first rule that takes all of the "a"s leaves none for a later one of the same find
  // text: a dictionary that lengthens many different words by one character stays small.
  std::string dictionary, words;
  for (int i = 0; i < 2000; ++i) {
    dictionary += "w" + std::to_string(i) + "=>w" + std::to_string(i) + "x\r\n";
    words += "w" + std::to_string(i) + " ";
  }
  store.WriteFile("同义词库/grow.txt", dictionary);
  store.WriteFile("模版/k.txt", words);
  EXPECT_TRUE(OfKind(CheckStore(), FindingKind::kRunawayExpansion).empty());
}

TEST(StoreCheck, TagsInsideTagsAndLetterCaseAsTheCountingSeesIt) {
  TempStore store;
  // "{A}" inside "{A}+"; and two tags whose GBK characters differ only in a second byte
  // that is a letter (0x81 0x41 and 0x81 0x61), which the counting folds as well.
  store.WriteFile("juzi.ini", "[a]\r\n" + G("标签") + "={A}\r\n[b]\r\n" + G("标签") +
                                  "={A}+\r\n[c]\r\n" + G("标签") + "=\x81\x41\r\n[d]\r\n" +
                                  G("标签") + "=\x81\x61\r\n[e]\r\n" + G("标签") + "={a}x\r\n");
  for (const char* name : {"a", "b", "c", "d", "e"}) {
    store.WriteFile(std::string("句子库/") + name + "/a.txt", "line\r\n");
  }
  store.WriteFile("模版/t.txt", "{A}+\x81\x41\x81\x61{a}x");
  const CheckReport report = CheckStore();
  std::multiset<std::string> overlaps;
  for (const Finding* f : OfKind(report, FindingKind::kTagOverlap))
    overlaps.insert(f->WhereShown());
  // b holds a's tag; d differs from c by case; e holds a's tag ignoring case. Each once.
  EXPECT_EQ(overlaps, (std::multiset<std::string>{"juzi.ini:4", "juzi.ini:8", "juzi.ini:10"}));
  for (const Finding* f : OfKind(report, FindingKind::kTagOverlap)) {
    if (f->line == 10) {
      EXPECT_NE(f->detail.find("ignoring letter case"), std::string::npos);
    }
  }
}

TEST(StoreCheck, TagShapedTextIsFoundOnlyAtCharacterBoundaries) {
  TempStore store;
  // "\x81{" is one character: the "{<_" after 0x81 does not open a tag; the one after it
  // does, and the mistyped letter case is named.
  store.WriteFile("句子库/s/a.txt", "\x81{<_x_>} {<_x_>}\r\n" + G("{<_句子_>}") + "\r\n");
  store.WriteGbkFile("juzi.ini", "[s]\r\n标签={<_句子_>}\r\n[k]\r\n标签={<_Key_>}\r\n");
  store.WriteFile("句子库/k/a.txt", "k\r\n");
  store.WriteGbkFile("模版/t.txt", "{<_句子_>}\r\n\r\n{<_KEY_>}{<_x_>}{<_x_>}");
  const CheckReport report = CheckStore();
  const auto found = OfKind(report, FindingKind::kUnregisteredTag);
  std::multiset<std::string> places;
  for (const Finding* f : found) places.insert(f->WhereShown());
  EXPECT_EQ(places,
            (std::multiset<std::string>{"句子库/s/a.txt:1", "模版/t.txt:3", "模版/t.txt:3"}));
  for (const Finding* f : found) {
    if (f->detail.find("'{<_KEY_>}'") != std::string::npos) {
      EXPECT_NE(f->detail.find("registered as '{<_Key_>}'"), std::string::npos);
    } else {
      EXPECT_NE(f->detail.find("'{<_x_>}'"), std::string::npos);
      EXPECT_NE(f->detail.find(f->where == G("模版/t.txt") ? "2 times" : "1 time"),
                std::string::npos)
          << f->detail;
    }
  }
}

TEST(StoreCheck, VarietyMultipliesDistinctLinesPerSentenceTagAndOncePerKeywordLibrary) {
  TempStore store;
  store.WriteGbkFile("juzi.ini", "[s]\r\n标签={S}\r\n");
  store.WriteGbkFile("keyword.ini", "[k]\r\n标签={K}\r\n[n]\r\n标签={N}\r\n");
  // 100 lines, 10 distinct texts; the sentences bring in keyword library n.
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "s" + std::to_string(i % 10) + "{N}\r\n";
  store.WriteFile("句子库/s/a.txt", lines);
  store.WriteFile("关键词库/k/a.txt", Repeat("k\r\n", 5) + "k2\r\n");  // 2 distinct
  store.WriteFile("关键词库/n/a.txt", "1\r\n2\r\n3\r\n4\r\n5\r\n");
  store.WriteFile("模版/t.txt", "{S}{S}{S}{K}{K}");
  const CheckReport report = CheckStore();
  const auto variety = OfKind(report, FindingKind::kVariety);
  ASSERT_EQ(variety.size(), 1u);
  // 10^3 x 2 x 5 = 10^4.
  EXPECT_NE(variety[0]->detail.find("about 10^4.0 different articles (3 sentence draws from 1 "
                                    "library, 2 keyword libraries)"),
            std::string::npos)
      << variety[0]->detail;
}

TEST(StoreCheck, TemplateArgumentsLimitTemplateFindingsButEveryTemplateUsesItsTags) {
  TempStore store;
  store.WriteGbkFile("juzi.ini", "[s]\r\n标签={S}\r\n");
  store.WriteFile("句子库/s/a.txt", "s\r\n");
  store.WriteFile("模版/uses.txt", "{S}");
  store.WriteFile("模版/plain.txt", "no tags");
  CheckOptions options;
  options.templates = {"plain.txt"};
  EXPECT_EQ(Summary(CheckStore(options)),
            (std::multiset<std::string>{"template-without-tags 模版/plain.txt",
                                        "variety 模版/plain.txt"}));
  options.templates = {"uses.txt"};
  EXPECT_EQ(Summary(CheckStore(options)), (std::multiset<std::string>{"variety 模版/uses.txt"}));
}

TEST(StoreCheck, NamesThatDoNotDecodeAreShownWithReplacementCharacters) {
  TempStore store;
  // A folder whose name is not UTF-8 on disk, and a library whose GBK name has a bad byte.
  store.MakeFolder("句子库/\xFF\xFE");
  store.WriteFile("juzi.ini", "[\xFF\xFF]\r\n" + G("标签") + "={X}\r\n");
  const CheckReport report = CheckStore();
  for (const Finding& f : report.findings) {
    EXPECT_TRUE(IsValidUtf8(f.WhereShown())) << f.WhereShown();
    EXPECT_TRUE(IsValidUtf8(f.detail)) << f.detail;
    EXPECT_TRUE(IsValidUtf8(f.detailChinese));
  }
  const auto folders = OfKind(report, FindingKind::kUnregisteredFolder);
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(folders[0]->WhereShown(), "句子库/\uFFFD\uFFFD");
  EXPECT_EQ(OfKind(report, FindingKind::kMissingFolder).size(), 1u);
}

TEST(StoreCheck, StopsWhenCancelled) {
  TempStore store;
  BuildStoreWithOneOfEach(store);
  std::atomic<bool> cancel{true};
  CheckOptions options;
  options.cancel = &cancel;
  const CheckReport report = CheckStore(options);
  EXPECT_TRUE(report.cancelled);
  EXPECT_TRUE(report.findings.empty());
}

}  // namespace
}  // namespace wordloom::check
