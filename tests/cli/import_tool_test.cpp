// wordloom-import, run as the built program against temporary stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "run_tool.h"
#include "services/encoding.h"
#include "services/version.h"
#include "support/temp_store.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using testing::G;
using testing::RunTool;
using testing::TempStore;
using testing::ToolRun;

const std::string kTool = WORDLOOM_IMPORT_TOOL;

class ImportToolTest : public ::testing::Test {
 protected:
  TempStore store;
  const std::string root = TextToFileSystem(store.Root());

  ImportToolTest() {
    store.RegisterLibrary(LibraryKind::kSentence, "风景", "{S}");
    store.WriteLibraryFile(LibraryKind::kSentence, "风景", "old.txt", {"山很高。"});
  }

  ToolRun Import(std::vector<std::string> args) {
    testing::ToolRunOptions options;
    options.timeoutSeconds = 30;
    args.insert(args.begin(), {"--dir", root});
    return RunTool(kTool, args, options);
  }
  // A source file outside the store, by its file-system path.
  std::string Source(const std::string& name, const std::string& bytes) {
    store.WriteFile("in/" + name, bytes);
    return store.FsPath("in/" + name);
  }
  // Everything under the store's folders, to show that a refused run wrote nothing.
  std::vector<std::string> Listing() {
    std::vector<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
      entries.push_back(e.path().string() + ":" +
                        std::to_string(e.is_regular_file() ? fs::file_size(e.path()) : 0));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }
};

TEST_F(ImportToolTest, EachFileBecomesANewFileOfTheLibraryWithOneSummaryLine) {
  const std::string utf8 = Source("山水.txt", "\xEF\xBB\xBF水很清。\r\n\r\n山很高。\n云很低。");
  const std::string gbk = Source("more.csv", G("水很清。\r\n"));
  const ToolRun run = Import({"--sentence", "风景", "--dedupe", utf8, gbk});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, utf8 + ": 2 lines imported, 1 duplicates, 0 unmappable skipped (UTF-8; " +
                         "句子库/风景/山水.txt)\n" + gbk +
                         ": 0 lines imported, 1 duplicates, 0 unmappable skipped (GBK; nothing "
                         "to write)\n");
  EXPECT_EQ(store.ReadFile("句子库/风景/山水.txt"), G("水很清。\r\n云很低。\r\n"));
  EXPECT_FALSE(store.Exists("句子库/风景/more.txt"));

  // Again, without --dedupe: a second file beside the first, nothing overwritten.
  const ToolRun again = Import({"--sentence", "风景", utf8});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(store.ReadFile("句子库/风景/山水 (2).txt"), G("水很清。\r\n山很高。\r\n云很低。\r\n"));
  EXPECT_EQ(store.ReadFile("句子库/风景/山水.txt"), G("水很清。\r\n云很低。\r\n"));
}

TEST_F(ImportToolTest, ATagCreatesAndRegistersANewLibrary) {
  const std::string words = Source("城市.txt", "杭州\n苏州\n");
  const ToolRun run = Import({"--keyword", "城市", "--tag", "{<_城市关键词_>}", words});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ResourceStore::ReadTag(LibraryKind::kKeyword, G("城市")), G("{<_城市关键词_>}"));
  EXPECT_EQ(store.ReadFile("关键词库/城市/城市.txt"), G("杭州\r\n苏州\r\n"));
}

TEST_F(ImportToolTest, UnmappableLinesAreSkippedByDefaultAndListed) {
  const std::string file = Source("e.txt", "好😀\n纯\n");
  const ToolRun skipped = Import({"--sentence", "风景", file});
  ASSERT_EQ(skipped.status, 0) << skipped.err;
  EXPECT_NE(skipped.out.find(": 1 lines imported, 0 duplicates, 1 unmappable skipped (UTF-8"),
            std::string::npos)
      << skipped.out;
  EXPECT_NE(skipped.err.find(file + ":1: skipped, GBK cannot hold 😀: 好😀"), std::string::npos)
      << skipped.err;
  EXPECT_EQ(store.ReadFile("句子库/风景/e.txt"), G("纯\r\n"));

  const ToolRun dropped = Import({"--sentence", "风景", "--drop-unmappable", file});
  ASSERT_EQ(dropped.status, 0) << dropped.err;
  EXPECT_NE(dropped.out.find(": 2 lines imported, 0 duplicates, 0 unmappable skipped, 1 "
                             "characters dropped"),
            std::string::npos)
      << dropped.out;
  EXPECT_EQ(store.ReadFile("句子库/风景/e (2).txt"), G("好\r\n纯\r\n"));
}

TEST_F(ImportToolTest, ARefusedRunWritesNothingAndExitsWithOne) {
  const std::string good = Source("good.txt", "一句。\n");
  store.MakeFifo("in/pipe.txt");
  const std::vector<std::string> before = Listing();
  struct Case {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--sentence", "风景", good, store.FsPath("in/missing.txt")}, "cannot be read"},
      {{"--sentence", "风景", good, store.FsPath("in/pipe.txt")}, "not a regular file"},
      {{"--sentence", "..", good}, "unsafe library name"},
      {{"--sentence", "a/b", "--tag", "{T}", good}, "unsafe library name"},
      {{"--keyword", "新库", "--tag", "{S}", good}, "belongs to library 风景"},
      {{"--sentence", "风景", "--tag", "{OTHER}", good}, "registered with tag {S}"},
      {{"--keyword", "无名", good}, "give --tag"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Import(c.args);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 1) << c.says;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
  const ToolRun nowhere =
      RunTool(kTool, {"--dir", store.FsPath("nowhere"), "--sentence", "风景", good});
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_NE(nowhere.err.find("run directory not found"), std::string::npos) << nowhere.err;
  EXPECT_EQ(Listing(), before);
}

TEST_F(ImportToolTest, AWrongCommandLineExitsWithTwo) {
  const std::string good = Source("good.txt", "一句。\n");
  const std::vector<std::vector<std::string>> wrong = {
      {"风景", good},
      {"--sentence", "--keyword", "风景", good},
      {"--sentence", "风景"},
      {"--sentence"},
      {"--sentence", "风景", "--tag"},
      {"--sentence", "风景", "--colour", good},
      {"--export", store.FsPath("out.txt"), "--sentence", "风景", "--dedupe"},
      {"--export", store.FsPath("out.txt"), "--sentence", "风景", good},
  };
  for (const std::vector<std::string>& args : wrong) {
    const ToolRun run = Import(args);
    EXPECT_EQ(run.status, 2) << args.front();
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  }
  EXPECT_FALSE(store.Exists("out.txt"));
  EXPECT_FALSE(store.Exists("句子库/风景/good.txt"));

  // The launcher asks every tool its version, whatever else the command line holds.
  const ToolRun version = Import({"--sentence", "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("wordloom-import ") + kVersion + "\n");
}

TEST_F(ImportToolTest, ExportWritesUtf8AndNeverOverwrites) {
  store.WriteFile("句子库/风景/bad.txt", G("水") + "\xFFx\r\n");
  const std::string out = store.FsPath("out.txt");
  const ToolRun run = Import({"--export", out, "--sentence", "风景"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "风景: 2 lines from 2 files exported to " + out +
                         ", 1 undecodable bytes written as U+FFFD\n");
  EXPECT_EQ(store.ReadFile("out.txt"), "水\uFFFDx\n山很高。\n");

  const ToolRun again = Import({"--export", out, "--sentence", "风景"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("not overwritten"), std::string::npos) << again.err;
  EXPECT_EQ(store.ReadFile("out.txt"), "水\uFFFDx\n山很高。\n");
  EXPECT_EQ(Import({"--export", store.FsPath("o2.txt"), "--keyword", "风景"}).status, 1);
}

}  // namespace
}  // namespace wordloom
