// wordloom-generate, run as the built program against temporary stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>

#include "generator/article_generator.h"
#include "run_tool.h"
#include "services/encoding.h"
#include "services/random.h"
#include "services/version.h"
#include "support/temp_store.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using testing::G;
using testing::RunTool;
using testing::TempStore;
using testing::ToolRun;
using testing::ToolRunOptions;

const std::string kTool = WORDLOOM_GENERATE_TOOL;

class GenerateToolTest : public ::testing::Test {
 protected:
  TempStore store;
  const std::string root = TextToFileSystem(store.Root());

  GenerateToolTest() {
    // Enough variety that two seeds surely give different articles.
    store.RegisterLibrary(LibraryKind::kSentence, "风景", "{<_风景句子_>}");
    store.WriteLibraryFile(LibraryKind::kSentence, "风景", "山.txt",
                           {"山上的云很低。", "{<_城市关键词_>}的山不高。", "登山要趁早。",
                            "山路弯弯。", "峰顶有风。"});
    store.WriteLibraryFile(LibraryKind::kSentence, "风景", "水.txt",
                           {"湖水很静。", "河边有柳。", "{<_城市关键词_>}的水清。"});
    store.RegisterLibrary(LibraryKind::kKeyword, "城市", "{<_城市关键词_>}");
    store.WriteLibraryFile(LibraryKind::kKeyword, "城市", "城.txt",
                           {"杭州", "苏州", "桂林", "大理", "丽江", "成都"});
    store.WriteGbkFile("同义词库/常用.txt", "很=>非常\r\n");
    store.WriteGbkFile("模版/游记.txt",
                       "<h2>{<_城市关键词_>}</h2>\r\n<p>{<_风景句子_>}{<_风景句子_>}</p>\r\n"
                       "<p>{<_风景句子_>}{<_风景句子_>}{<_风景句子_>}</p>");
  }

  ToolRun Generate(std::vector<std::string> args, const ToolRunOptions& options = {}) {
    args.insert(args.begin(), {"--dir", root});
    return RunTool(kTool, args, options);
  }

  // What the core makes of the store: one generator, seeded once, N articles in a row.
  std::vector<Text> Expected(const std::string& templateUtf8, std::uint32_t seed, int count) {
    const Text templateText = ResourceStore::ReadFileAsText(store.Path(templateUtf8));
    ArticleGenerator generator;
    SeedRandom(seed);
    std::vector<Text> articles;
    for (int i = 0; i < count; ++i) articles.push_back(generator.Generate(templateText));
    return articles;
  }
};

TEST_F(GenerateToolTest, ASeedFixesEveryArticleOfTheBatch) {
  const ToolRun first = Generate({"--seed", "7", "--count", "4", "游记.txt"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");
  Text expected;
  for (const Text& article : Expected("模版/游记.txt", 7, 4)) expected += article + "\n\n";
  EXPECT_EQ(first.out, expected);  // the template ends without a line break
  EXPECT_EQ(first.out.find(G("{<_")), std::string::npos);

  EXPECT_EQ(Generate({"--seed", "7", "--count", "4", "游记.txt"}).out, first.out);
  const ToolRun other = Generate({"--seed", "8", "--count", "4", "游记.txt"});
  ASSERT_EQ(other.status, 0);
  EXPECT_NE(other.out, first.out);
}

TEST_F(GenerateToolTest, ArticlesOnStandardOutputAreSeparatedByOneEmptyLine) {
  store.WriteGbkFile("模版/无换行.txt", "第一行\r\n末行");
  store.WriteGbkFile("模版/有换行.txt", "第一行\r\n末行\r\n");
  store.WriteGbkFile("模版/空.txt", "");
  EXPECT_EQ(Generate({"--count", "2", "无换行.txt"}).out,
            G("第一行\r\n末行\n\n第一行\r\n末行\n\n"));
  EXPECT_EQ(Generate({"--count", "2", "有换行.txt"}).out,
            G("第一行\r\n末行\r\n\n第一行\r\n末行\r\n\n"));
  EXPECT_EQ(Generate({"--count", "2", "空.txt"}).out, "\n\n\n\n");
}

TEST_F(GenerateToolTest, OutFolderGetsOneFilePerArticleWithExactlyItsBytes) {
  const std::string out = root + "/输出/第一批";  // two levels missing
  const ToolRun run = Generate({"--seed", "3", "--count", "3", "--out", out, "游记.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const std::vector<Text> expected = Expected("模版/游记.txt", 3, 3);
  EXPECT_EQ(store.ReadFile("输出/第一批/0001.txt"), expected[0]);
  EXPECT_EQ(store.ReadFile("输出/第一批/0002.txt"), expected[1]);
  EXPECT_EQ(store.ReadFile("输出/第一批/0003.txt"), expected[2]);
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 3);

  // An existing folder is used as it is; wider batches get wider numbers, so names sort.
  store.WriteGbkFile("模版/短.txt", "短");
  ASSERT_EQ(Generate({"--count", "10000", "--out", out, "短.txt"}).status, 0);
  EXPECT_EQ(store.ReadFile("输出/第一批/00001.txt"), G("短"));
  EXPECT_EQ(store.ReadFile("输出/第一批/10000.txt"), G("短"));
  EXPECT_FALSE(store.Exists("输出/第一批/010000.txt"));
}

TEST_F(GenerateToolTest, Utf8ConvertsTheArticlesForATerminal) {
  store.WriteGbkFile("模版/问候.txt", "你好，{<_城市关键词_>}！");
  store.WriteFile("句子库/风景/山.txt", "");
  const ToolRun gbk = Generate({"--seed", "5", "问候.txt"});
  const ToolRun utf8 = Generate({"--seed", "5", "--utf8", "问候.txt"});
  ASSERT_EQ(utf8.status, 0) << utf8.err;
  EXPECT_EQ(utf8.out, TextToUtf8(gbk.out));
  EXPECT_TRUE(std::regex_match(utf8.out, std::regex("你好，(杭州|苏州|桂林|大理|丽江|成都)！\n\n")))
      << utf8.out;

  ASSERT_EQ(Generate({"--seed", "5", "--utf8", "--out", root + "/u", "问候.txt"}).status, 0);
  EXPECT_EQ(store.ReadFile("u/0001.txt") + "\n\n", utf8.out);
}

TEST_F(GenerateToolTest, TemplateByNameWithoutExtensionOrByPath) {
  const std::string byName = Generate({"--seed", "11", "游记.txt"}).out;
  ASSERT_FALSE(byName.empty());
  EXPECT_EQ(Generate({"--seed", "11", "游记"}).out, byName);
  EXPECT_EQ(Generate({"--seed", "11", root + "/模版/游记.txt"}).out, byName);
  ToolRunOptions inStore;
  inStore.workingDirectory = root;
  EXPECT_EQ(Generate({"--seed", "11", "模版/游记.txt"}, inStore).out, byName);

  // A file that exists as given wins over the template folder's file of that name.
  store.WriteGbkFile("别处/游记.txt", "别处的模版");
  ToolRunOptions elsewhere;
  elsewhere.workingDirectory = root + "/别处";
  EXPECT_EQ(Generate({"游记.txt"}, elsewhere).out, G("别处的模版\n\n"));
}

TEST_F(GenerateToolTest, TheRunDirectoryDefaultsToTheExecutablesFolder) {
  fs::copy_file(kTool, root + "/wordloom-generate");
  const ToolRun run = RunTool(root + "/wordloom-generate", {"--seed", "2", "游记.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Expected("模版/游记.txt", 2, 1)[0] + "\n\n");
}

TEST_F(GenerateToolTest, StatsEndStandardErrorWithCountTimeAndRate) {
  const ToolRun run = Generate({"--stats", "--count", "3", "游记.txt"});
  ASSERT_EQ(run.status, 0);
  EXPECT_TRUE(
      std::regex_match(run.err, std::regex(R"(3 articles in \d+\.\d{3} s \(\d+ articles/s\)\n)")))
      << run.err;
  EXPECT_FALSE(run.out.empty());
}

TEST_F(GenerateToolTest, ProgressShowsOnATerminalForLongBatchesAndIsWipedAtTheEnd) {
  // Articles of a couple of thousand tags each are slow; the batch is sized from a first
  // measured run to last about two and a half seconds, past the one second after which
  // the progress line appears, whatever the build and the machine.
  std::string tags;
  for (int i = 0; i < 2000; ++i) tags += "{<_风景句子_>}";
  store.WriteGbkFile("模版/长.txt", tags);
  const ToolRun probe = Generate({"--count", "4", "--stats", "--out", root + "/探", "长.txt"});
  std::smatch m;
  ASSERT_TRUE(std::regex_search(probe.err, m, std::regex(R"(in (\d+\.\d+) s)"))) << probe.err;
  const double perArticle = std::max(std::stod(m[1]) / 4, 1e-4);
  int count = std::max(3, static_cast<int>(2.5 / perArticle));

  // The first articles read the store and the later ones do not, and a busy machine makes
  // any one figure uncertain: a batch that ends too soon is run again twice as long.
  ToolRunOptions terminal;
  terminal.stderrOnTerminal = true;
  ToolRun run;
  for (int attempt = 0; attempt < 4; ++attempt) {
    fs::remove_all(root + "/长");
    run = Generate({"--count", std::to_string(count), "--stats", "--out", root + "/长", "长.txt"},
                   terminal);
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(std::regex_search(run.err, m, std::regex(R"(in (\d+\.\d+) s)"))) << run.err;
    if (std::stod(m[1]) > 1.2) break;
    count *= 2;
  }
  ASSERT_GT(std::stod(m[1]), 1.2) << "the batch was too quick to show progress";
  const std::string total = "/" + std::to_string(count);
  EXPECT_TRUE(std::regex_search(run.err, std::regex("^\\r\\d+" + total))) << run.err;
  // The line is wiped (spaces, back to its start) before the statistics line.
  EXPECT_TRUE(std::regex_search(run.err, std::regex("\\d" + total + "\\r +\\r\\d+ articles in")))
      << run.err;
  // On a pipe there is never a progress line.
  const ToolRun piped =
      Generate({"--count", std::to_string(count), "--out", root + "/管", "长.txt"});
  EXPECT_EQ(piped.err, "");
}

// The launcher compares versions by asking --version: it answers alone, whatever else the
// command line holds, and only as an option.
TEST_F(GenerateToolTest, VersionIsOneLineAndWinsOverTheRestOfTheCommandLine) {
  const std::string line = std::string("wordloom-generate ") + kVersion + "\n";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--version"}, {"--bogus", "--count", "x", "--version"}, {"游记.txt", "--version"}}) {
    const ToolRun run = RunTool(kTool, args);
    EXPECT_EQ(run.status, 0) << ::testing::PrintToString(args);
    EXPECT_EQ(run.out, line);
    EXPECT_EQ(run.err, "");
  }
  const ToolRun asTemplate = Generate({"--", "--version"});
  EXPECT_EQ(asTemplate.status, 1);
  EXPECT_NE(asTemplate.err.find("template not found"), std::string::npos) << asTemplate.err;
}

// Every failure: one line on standard error, the status, and nothing written anywhere.
TEST_F(GenerateToolTest, FailuresWriteNothingButOneLineOnStandardError) {
  store.MakeFolder("模版/文件夹.txt");
  store.WriteFile("占位", "user's file");
  const std::string out = root + "/不应出现";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"--dir", root + "/没有这个", "游记.txt"},
       1,
       "run directory not found: " + root + "/没有这个"},
      {{"--dir", root + "/占位", "游记.txt"}, 1, "run directory not found"},
      {{"没有.txt"}, 1, "template not found: " + root + "/模版/没有.txt"},
      {{root + "/模版/没有.txt"}, 1, "template not found: " + root + "/模版/没有.txt"},
      {{"文件夹.txt"}, 1, "template is not a file"},
      {{"--out", root + "/占位", "游记.txt"},
       1,
       "output folder is not a folder: " + root + "/占位"},
      {{"--out", root + "/占位/下面", "游记.txt"}, 1, "cannot create the folder " + root + "/占位"},
      {{"--bogus", "游记.txt"}, 2, "unknown option: --bogus"},
      {{"-x", "游记.txt"}, 2, "unknown option: -x"},
      {{"--utf8=yes", "游记.txt"}, 2, "--utf8 takes no value"},
      {{"游记.txt", "--count"}, 2, "--count needs a number"},
      {{"游记.txt", "--out"}, 2, "--out needs a folder"},
      {{"--count", "0", "游记.txt"}, 2, "bad number for --count: '0'"},
      {{"--count", "-3", "游记.txt"}, 2, "bad number for --count: '-3'"},
      {{"--count=12x", "游记.txt"}, 2, "bad number for --count: '12x'"},
      {{"--count", "99999999999999999999", "游记.txt"}, 2, "bad number for --count"},
      {{"--seed", "4294967296", "游记.txt"}, 2, "bad number for --seed: '4294967296'"},
      {{"--seed", " 1", "游记.txt"}, 2, "bad number for --seed"},
      {{}, 2, "no TEMPLATE given"},
      {{"游记.txt", "别的.txt"}, 2, "more than one TEMPLATE given: 别的.txt"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    // Every run would write into `out` if it went ahead.
    if (std::find(args.begin(), args.end(), "--out") == args.end()) {
      args.insert(args.begin(), {"--out", out});
    }
    if (std::find(args.begin(), args.end(), "--dir") == args.end()) {
      args.insert(args.begin(), {"--dir", root});
    }
    const ToolRun run = RunTool(kTool, args);
    const std::string shown = ::testing::PrintToString(c.args);
    EXPECT_EQ(run.status, c.status) << shown;
    EXPECT_EQ(run.out, "") << shown;
    EXPECT_TRUE(run.err.starts_with("wordloom-generate: ")) << shown << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << shown << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << shown << run.err;
    EXPECT_FALSE(fs::exists(out)) << shown;
    EXPECT_EQ(store.ReadFile("占位"), "user's file");
  }

  // Nothing on standard output either when the articles would have gone there.
  const ToolRun missing = RunTool(kTool, {"--dir", root, "没有.txt"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
}

}  // namespace
}  // namespace wordloom
