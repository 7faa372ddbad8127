// wordloom-generate on stores that real people end up with: pipes and devices where files
// belong, huge files, registry names that point elsewhere, libraries that call each other.
// None may hang, exhaust memory or reach outside the run directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run_tool.h"
#include "services/encoding.h"
#include "support/temp_store.h"

namespace wordloom {
namespace {

using testing::G;
using testing::RunTool;
using testing::TempStore;
using testing::ToolRun;

class HostileStoreTest : public ::testing::Test {
 protected:
  TempStore store;

  HostileStoreTest() {
    store.RegisterLibrary(LibraryKind::kSentence, "ok", "{OK}");
    store.WriteLibraryFile(LibraryKind::kSentence, "ok", "a.txt", {"fine"});
    store.WriteGbkFile("模版/t.txt", "[{OK}|{ODD}|{KW}]");
  }

  // Every run must end, whatever the store holds: a hang is killed and fails the test.
  // (How long the runs take is measured in a Release build, not here.)
  ToolRun Generate(const std::string& templateName) {
    ToolRun run = RunTool(WORDLOOM_GENERATE_TOOL,
                          {"--dir", TextToFileSystem(store.Root()), "--seed", "1", templateName});
    EXPECT_FALSE(run.timedOut);
    return run;
  }
};

TEST_F(HostileStoreTest, PipesDevicesAndHugeFilesReadAsUnreadable) {
  store.RegisterLibrary(LibraryKind::kSentence, "odd", "{ODD}");
  store.MakeFifo("句子库/odd/pipe.txt");
  store.MakeLink("句子库/odd/zero.txt", "/dev/zero");
  store.MakeOversizedFile("句子库/odd/huge.txt");
  store.MakeFifo("同义词库/rules.txt");
  store.MakeFifo("keyword.ini");
  const ToolRun run = Generate("t.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "[fine||{KW}]\n\n");

  // A registry in a pipe's place is no registry at all; a template there is refused.
  std::filesystem::remove(store.FsPath("juzi.ini"));
  store.MakeFifo("juzi.ini");
  EXPECT_EQ(Generate("t.txt").out, "[{OK}|{ODD}|{KW}]\n\n");
  store.MakeFifo("模版/pipe.txt");
  const ToolRun pipeTemplate = Generate("pipe.txt");
  EXPECT_EQ(pipeTemplate.status, 1);
  EXPECT_NE(pipeTemplate.err.find("not a file"), std::string::npos) << pipeTemplate.err;
}

TEST_F(HostileStoreTest, ARegistryNameNeverReadsOutsideTheLibraries) {
  store.WriteGbkFile("模版/secret.txt", "secret\r\n");
  store.WriteFile("juzi.ini", store.ReadFile("juzi.ini") + "[../模版]\r\n" + G("标签") +
                                  "={ODD}\r\n[\x81/../../模版]\r\n" + G("标签") + "={KW}\r\n");
  const ToolRun run = Generate("t.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "[fine||]\n\n");
}

// Each library's line calls the next library 300 times: four levels make a gigabyte.
TEST_F(HostileStoreTest, RunawayExpansionStopsTheBatchWithOneLine) {
  std::string levels;
  for (int level = 1; level <= 4; ++level) {
    const std::string name = "L" + std::to_string(level);
    store.RegisterLibrary(LibraryKind::kSentence, name, "{" + name + "}");
    std::string line;
    for (int i = 0; i < 300; ++i) line += "{L" + std::to_string(level + 1) + "}";
    store.WriteLibraryFile(LibraryKind::kSentence, name, "a.txt", {line});
  }
  store.WriteGbkFile("模版/bomb.txt", "{L1}{L1}{L1}{L1}");
  const ToolRun run = Generate("bomb.txt");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  ASSERT_FALSE(run.err.empty());
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "exactly one line: " << run.err;
  EXPECT_NE(run.err.find("64 MiB"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace wordloom
