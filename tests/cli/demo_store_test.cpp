// The demo store laid beside the executables: only where no store is, and readable.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "run_tool.h"
#include "services/encoding.h"
#include "support/temp_store.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::RunTool;
using testing::TempStore;
using testing::ToolRun;

const std::string kDemoStore = WORDLOOM_DEMO_STORE;

ToolRun LayDemoStore(const std::string& dest) {
  return RunTool(WORDLOOM_CMAKE_COMMAND, {"-DSOURCE=" + kDemoStore, "-DDEST=" + dest, "-P",
                                          WORDLOOM_LAY_DEMO_STORE_SCRIPT});
}

// Relative path -> contents of every file below the folder.
std::map<std::string, std::string> Tree(const fs::path& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string relative = fs::relative(entry.path(), folder).string();
    tree[relative] = entry.is_regular_file() ? Contents(entry.path().string()) : "<folder>";
  }
  return tree;
}

TEST(DemoStore, IsLaidWholeWhereNoStoreIsAndGivesReadableArticles) {
  TempStore dest;
  const std::string root = TextToFileSystem(dest.Root());
  const ToolRun laid = LayDemoStore(root);
  ASSERT_EQ(laid.status, 0) << laid.err;
  EXPECT_EQ(Tree(root), Tree(kDemoStore));

  for (const char* name : {"旅游攻略.txt", "科技资讯.txt"}) {
    const ToolRun run =
        RunTool(WORDLOOM_GENERATE_TOOL, {"--dir", root, "--seed", "1", "--utf8", name});
    ASSERT_EQ(run.status, 0) << name << run.err;
    EXPECT_EQ(run.out.find("{<_"), std::string::npos) << run.out;  // every tag expanded
    EXPECT_NE(run.out.find("<h2>"), std::string::npos) << run.out;
    // Every byte of the article decodes as GBK, and it is Chinese.
    const std::u16string unicode = DecodeGbk(Utf8ToText(run.out));
    EXPECT_EQ(std::count_if(unicode.begin(), unicode.end(),
                            [](char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }),
              0);
    EXPECT_GT(std::count_if(unicode.begin(), unicode.end(),
                            [](char16_t c) { return c >= 0x4E00 && c <= 0x9FFF; }),
              100);
  }
}

TEST(DemoStore, AnyPartOfAStoreKeepsTheFolderAsItIs) {
  for (const char* entry : {"juzi.ini", "keyword.ini", "模版", "句子库", "关键词库", "同义词库"}) {
    TempStore dest;
    const std::string root = TextToFileSystem(dest.Root());
    const bool isFile = std::string(entry).ends_with(".ini");
    dest.WriteFile(isFile ? entry : std::string(entry) + "/mine.txt", "the user's own");
    const auto before = Tree(root);
    const ToolRun run = LayDemoStore(root);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Tree(root), before) << entry;
  }
  TempStore dest;  // a dangling link where a store entry would go counts as well
  const std::string root = TextToFileSystem(dest.Root());
  fs::create_directory_symlink(root + "/elsewhere", root + "/模版");
  ASSERT_EQ(LayDemoStore(root).status, 0);
  EXPECT_EQ(Tree(root).size(), 1u);
}

}  // namespace
}  // namespace wordloom
