// wordloom-generate's batch options: no repeated sentences, title names, the uniqueness
// report, files that are never replaced unasked and never left half written.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>

#include "batch/article_files.h"
#include "generator/article_generator.h"
#include "report/uniqueness.h"
#include "run_tool.h"
#include "services/encoding.h"
#include "services/random.h"
#include "support/file_size_limit.h"
#include "support/temp_store.h"

extern char** environ;

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using testing::G;
using testing::RunTool;
using testing::TempStore;
using testing::ToolRun;

const std::string kTool = WORDLOOM_GENERATE_TOOL;

std::set<std::string> FolderNames(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

class BatchToolTest : public ::testing::Test {
 protected:
  TempStore store;
  const std::string root = TextToFileSystem(store.Root());

  BatchToolTest() {
    store.RegisterLibrary(LibraryKind::kSentence, "句", "{S}");
    std::string lines;
    for (int i = 1; i <= 12; ++i) lines += G("句子") + std::to_string(i) + "\r\n";
    store.WriteFile("句子库/句/a.txt", lines);
    store.RegisterLibrary(LibraryKind::kKeyword, "城", "{K}");
    store.WriteLibraryFile(LibraryKind::kKeyword, "城", "a.txt", {"杭州"});
    store.WriteGbkFile("模版/t.txt",
                       "<h1>{K}/游记: 第一天?</h1>\r\n{S}|{S}|{S}|{S}|{S}|{S}|{S}|{S}");
  }

  ToolRun Generate(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", root});
    return RunTool(kTool, args);
  }

  std::vector<Text> Expected(std::uint32_t seed, int count, bool noRepeat) {
    const Text templateText = ResourceStore::ReadFileAsText(store.Path("模版/t.txt"));
    ArticleGenerator generator;
    generator.SetNoRepeatedSentences(noRepeat);
    SeedRandom(seed);
    std::vector<Text> articles;
    for (int i = 0; i < count; ++i) articles.push_back(generator.Generate(templateText));
    return articles;
  }
};

TEST_F(BatchToolTest, NoRepeatGivesEachSentenceOnceAndFollowsTheSeed) {
  const ToolRun run = Generate({"--seed", "3", "--count", "20", "--no-repeat", "t.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  Text expected;
  for (const Text& article : Expected(3, 20, true)) {
    expected += article + "\n\n";
    const Text body = article.substr(article.find('\n') + 1);
    std::set<Text> sentences;
    for (std::size_t start = 0, bar;; start = bar + 1) {
      bar = body.find('|', start);
      sentences.insert(body.substr(start, bar - start));
      if (bar == Text::npos) break;
    }
    EXPECT_EQ(sentences.size(), 8u) << article;
  }
  EXPECT_EQ(run.out, expected);
  EXPECT_NE(run.out, Generate({"--seed", "3", "--count", "20", "t.txt"}).out);
}

TEST_F(BatchToolTest, TitleNamesTakeTheNextFreeNumberAndNeverReplace) {
  const std::string out = root + "/出";
  store.WriteFile("出/杭州_游记_ 第一天_.txt", "mine");
  const ToolRun run =
      Generate({"--seed", "5", "--count", "3", "--names", "title", "--out", out, "t.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<Text> expected = Expected(5, 3, false);
  EXPECT_EQ(store.ReadFile("出/杭州_游记_ 第一天_.txt"), "mine");
  EXPECT_EQ(store.ReadFile("出/杭州_游记_ 第一天_ (2).txt"), expected[0]);
  EXPECT_EQ(store.ReadFile("出/杭州_游记_ 第一天_ (3).txt"), expected[1]);
  EXPECT_EQ(store.ReadFile("出/杭州_游记_ 第一天_ (4).txt"), expected[2]);
  EXPECT_EQ(FolderNames(out).size(), 4u);
}

TEST_F(BatchToolTest, NumberedFilesAreNeverReplacedUnasked) {
  const std::string out = root + "/出";
  store.WriteFile("出/0002.txt", "mine");
  const ToolRun refused = Generate({"--count", "3", "--out", out, "t.txt"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "wordloom-generate: file exists: " + out +
                             "/0002.txt (--overwrite replaces the batch's files; nothing was "
                             "written)\n");
  EXPECT_EQ(FolderNames(out), std::set<std::string>{"0002.txt"});

  const ToolRun replaced =
      Generate({"--seed", "2", "--count", "3", "--overwrite", "--out", out, "t.txt"});
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(store.ReadFile("出/0002.txt"), Expected(2, 3, false)[1]);
  EXPECT_EQ(FolderNames(out), (std::set<std::string>{"0001.txt", "0002.txt", "0003.txt"}));
}

TEST_F(BatchToolTest, AFullDiskStopsTheBatchNamingTheFileAndWhatWasWritten) {
  const std::string out = root + "/出";
  store.WriteGbkFile("模版/大.txt", std::string(3000, 'x') + "{S}");
  ToolRun run;
  {
    // Room for the store's reads, not for one article.
    testing::FileSizeLimit full(2048);
    run = Generate({"--count", "3", "--out", out, "大.txt"});
  }
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.starts_with("wordloom-generate: cannot write " + out + "/0001.txt: "))
      << run.err;
  EXPECT_TRUE(run.err.ends_with("; 0 written\n")) << run.err;
  EXPECT_TRUE(FolderNames(out).empty()) << "no temporary file is left";
}

TEST_F(BatchToolTest, AnInterruptLeavesOnlyWholeFiles) {
  // Articles of about 150 KB each, so that the signal may find one being written.
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "{S}";
  store.WriteGbkFile("模版/长.txt", big);
  const std::string out = root + "/出";
  std::vector<std::string> args = {kTool,     "--dir", root,    "--seed", "9",
                                   "--count", "500",   "--out", out,      "长.txt"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, kTool.c_str(), nullptr, nullptr, argv.data(), environ), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline &&
         (!fs::exists(out) || FolderNames(out).size() < 4)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(child, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);

  const std::set<std::string> names = FolderNames(out);
  ASSERT_GE(names.size(), 3u);
  ASSERT_LT(names.size(), 500u) << "the batch was over before the signal";
  const Text templateText = ResourceStore::ReadFileAsText(store.Path("模版/长.txt"));
  ArticleGenerator generator;
  SeedRandom(9);
  int i = 0;
  for (const std::string& name : names) {
    EXPECT_EQ(name, batch::NumberedName(++i, 500)) << "only numbered files, one after another";
    EXPECT_EQ(testing::Contents(out + "/" + name), generator.Generate(templateText)) << name;
  }
}

TEST_F(BatchToolTest, TheReportIsOneLineBeforeTheStatisticsAndPairsOnlyWhenAsked) {
  store.WriteGbkFile("模版/同.txt", "<p>一模一样的文章</p>");
  const ToolRun same = Generate({"--count", "3", "--report", "--stats", "同.txt"});
  ASSERT_EQ(same.status, 0) << same.err;
  EXPECT_TRUE(std::regex_match(
      same.err, std::regex("uniqueness: 3 articles, mean 100\\.0%, max 100\\.0% \\(articles 1 and "
                           "2\\), 3 pairs at or above 80%\n3 articles in .*\n")))
      << same.err;

  const ToolRun pairs = Generate({"--count", "3", "--report", "--near", "95", "--report-pairs",
                                  "--out", root + "/o", "同.txt"});
  ASSERT_EQ(pairs.status, 0) << pairs.err;
  EXPECT_EQ(pairs.err,
            "uniqueness: 3 articles, mean 100.0%, max 100.0% (articles 1 and 2), 3 pairs at or "
            "above 95%\n1 2 100.0%\n1 3 100.0%\n2 3 100.0%\n");
  EXPECT_EQ(Generate({"--report", "同.txt"}).err, "uniqueness: 1 articles, no pairs\n");
}

TEST_F(BatchToolTest, LargeBatchesAreReportedFromTheFilesOrTheTemporaryCopies) {
  // Beyond the exact limit the near pairs and the maximum are measured on the articles read
  // back: from the files, or from the copies kept beside standard output, in UTF-8 as in
  // GBK. Each way gives what the report makes of the articles themselves.
  const std::vector<Text> articles = Expected(1, 2050, false);
  report::UniquenessReport direct(50, articles.size());
  for (const Text& article : articles) direct.Add(article);
  const std::string line =
      report::UniquenessLine(*direct.Finish([&](std::size_t i) { return articles[i]; }));
  ASSERT_NE(line.find("uniqueness: 2050 articles, mean "), std::string::npos) << line;
  for (const std::vector<std::string>& where :
       {std::vector<std::string>{"--out", root + "/大"}, std::vector<std::string>{"--utf8"},
        std::vector<std::string>{"--utf8", "--out", root + "/u"}}) {
    std::vector<std::string> args = {"--seed", "1", "--count", "2050", "--report", "--near", "50"};
    args.insert(args.end(), where.begin(), where.end());
    args.push_back("t.txt");
    const ToolRun run = Generate(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, line + "\n") << where.back();
  }
}

TEST_F(BatchToolTest, OptionsThatNeedAnotherAreRefused) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--names", "title", "t.txt"}, "--names needs --out"},
      {{"--overwrite", "t.txt"}, "--overwrite needs --out"},
      {{"--near", "50", "t.txt"}, "--near needs --report"},
      {{"--report-pairs", "t.txt"}, "--report-pairs needs --report"},
      {{"--names", "date", "--out", root + "/o", "t.txt"}, "bad value for --names: 'date'"},
      {{"--report", "--near", "101", "t.txt"}, "bad number for --near: '101' (0 to 100)"},
  };
  for (const auto& [args, message] : cases) {
    const ToolRun run = Generate(args);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_FALSE(fs::exists(root + "/o"));
  const ToolRun help = Generate({"--help"});
  for (const char* option :
       {"--no-repeat", "--names", "--overwrite", "--report", "--near", "--report-pairs"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace wordloom
