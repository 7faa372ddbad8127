#include "store/resource_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "services/files.h"
#include "support/temp_store.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using testing::G;
using testing::TempStore;
constexpr auto kSentence = LibraryKind::kSentence;
constexpr auto kKeyword = LibraryKind::kKeyword;

TEST(StorePaths, EveryPathHangsOffTheRunDirectory) {
  TempStore store;
  const Text& root = store.Root();
  EXPECT_EQ(ResourceStore::RunDirectory(), root);
  EXPECT_EQ(ResourceStore::RegistryPath(kSentence), root + "/juzi.ini");
  EXPECT_EQ(ResourceStore::RegistryPath(kKeyword), root + "/keyword.ini");
  EXPECT_EQ(ResourceStore::LibraryFolder(kSentence, G("新闻")), root + "/" + G("句子库/新闻"));
  EXPECT_EQ(ResourceStore::LibraryFolder(kKeyword, "k"), root + "/" + G("关键词库") + "/k");
  EXPECT_EQ(ResourceStore::TemplatePath("a.txt"), root + "/" + G("模版") + "/a.txt");
  EXPECT_EQ(ResourceStore::SynonymFolder(), root + "/" + G("同义词库"));
}

TEST(StoreRegistry, ListsInFileOrderReadsAndDeletes) {
  TempStore store;
  EXPECT_TRUE(ResourceStore::ListLibraries(kSentence).empty());
  ASSERT_TRUE(ResourceStore::WriteTag(kSentence, G("新闻"), G("{<_新闻句子_>}")));
  ASSERT_TRUE(ResourceStore::WriteTag(kSentence, "abc", "{a}"));
  ASSERT_TRUE(ResourceStore::WriteTag(kSentence, G("旅游"), "{t}"));
  EXPECT_EQ(ResourceStore::ListLibraries(kSentence), (TextArray{G("新闻"), "abc", G("旅游")}));
  EXPECT_EQ(ResourceStore::ReadTag(kSentence, G("新闻")), G("{<_新闻句子_>}"));
  EXPECT_TRUE(ResourceStore::ListLibraries(kKeyword).empty());  // kinds never mix
  ASSERT_TRUE(ResourceStore::DeleteLibrary(kSentence, "abc"));
  EXPECT_EQ(ResourceStore::ListLibraries(kSentence), (TextArray{G("新闻"), G("旅游")}));
  EXPECT_EQ(ResourceStore::ReadTag(kSentence, "abc"), "");
}

TEST(StoreRegistry, SectionWithoutTheKeyHasAnEmptyTag) {
  TempStore store;
  store.WriteFile("juzi.ini", "[lonely]\r\nother=1\r\n");
  EXPECT_EQ(ResourceStore::ListLibraries(kSentence), (TextArray{"lonely"}));
  EXPECT_EQ(ResourceStore::ReadTag(kSentence, "lonely"), "");
}

TEST(LineRule, CutsAtCrLfOnly) {
  using R = ResourceStore;
  EXPECT_EQ(R::SplitLines("a\r\n\r\nb\r\n"), (TextArray{"a", "", "b"}));
  EXPECT_EQ(R::SplitLines("a\nb\rc"), (TextArray{"a\nb\rc"}));
  EXPECT_EQ(R::SplitLines("\r\na"), (TextArray{"", "a"}));
  EXPECT_TRUE(R::SplitLines("").empty());
  EXPECT_EQ(R::SplitLines("\r\n"), (TextArray{""}));
}

TEST(LineRule, FilesAreTextUpToTheirFirstZeroByte) {
  TempStore store;
  store.WriteFile("a.txt", std::string("one\r\ntw\0o\r\nthree", 17));
  EXPECT_EQ(ResourceStore::ReadFileAsText(store.Path("a.txt")), "one\r\ntw");
  store.WriteFile("empty.txt", "");
  EXPECT_TRUE(
      ResourceStore::SplitLines(ResourceStore::ReadFileAsText(store.Path("empty.txt"))).empty());
  EXPECT_EQ(ResourceStore::ReadFileAsText(store.Path("missing.txt")), "");
  EXPECT_EQ(ResourceStore::ReadFileAsText(Text()), "");
}

TEST(LibraryNames, OnlyNamesOfExactlyOneFolderInsideTheParent) {
  using R = ResourceStore;
  // "\x81/" looks like one character, but the file system sees a byte and a separator.
  for (const Text& bad : {Text(), Text("."), Text(".."), Text("a/b"), Text("a\\b"), Text("/"),
                          Text("a\0b", 3), Text("\x81/.."), Text("\x81/x"), Text("\x81\0", 2)}) {
    EXPECT_FALSE(R::IsValidLibraryName(bad)) << bad;
  }
  for (const Text& good :
       {Text("abc"), Text(" a b "), Text("..."), Text(".x"), G("誠信"), G("新闻_1"), Text("a:b")}) {
    EXPECT_TRUE(R::IsValidLibraryName(good)) << good;
  }
}

TEST(LibraryFolders, FirstFolderCreatesTheParentToo) {
  TempStore store;
  EXPECT_TRUE(ResourceStore::EnsureLibraryFolder(kKeyword, G("城市")));
  EXPECT_TRUE(fs::is_directory(store.FsPath("关键词库/城市")));
  store.WriteFile("关键词库/城市/a.txt", "x");
  EXPECT_TRUE(ResourceStore::EnsureLibraryFolder(kKeyword, G("城市")));
  EXPECT_EQ(store.ReadFile("关键词库/城市/a.txt"), "x");  // an existing folder is untouched
}

TEST(LibraryFolders, DeletionStaysInsideTheParentAndNeverFollowsLinks) {
  TempStore store;
  store.WriteFile("precious/keep.txt", "keep");
  store.WriteFile("句子库/lib/a.txt", "a");
  store.MakeFolder("句子库");
  fs::create_directory_symlink(store.FsPath("precious"), store.FsPath("句子库/lib/inner-link"));
  fs::create_directory_symlink(store.FsPath("precious"), store.FsPath("句子库/linked"));

  EXPECT_EQ(ResourceStore::DeleteLibraryFolder(kSentence, ".."), FolderRemoval::kRefused);
  EXPECT_EQ(ResourceStore::DeleteLibraryFolder(kSentence, "../precious"), FolderRemoval::kRefused);
  EXPECT_EQ(ResourceStore::DeleteLibraryFolder(kSentence, "linked"), FolderRemoval::kRefused);
  EXPECT_TRUE(store.Exists("句子库/linked"));
  EXPECT_EQ(ResourceStore::DeleteLibraryFolder(kSentence, "none"), FolderRemoval::kNothingThere);
  EXPECT_EQ(ResourceStore::DeleteLibraryFolder(kSentence, "lib"), FolderRemoval::kRemoved);
  EXPECT_FALSE(store.Exists("句子库/lib"));
  EXPECT_EQ(store.ReadFile("precious/keep.txt"), "keep");
}

TEST(LibraryFolders, AHostileNameReachesNoFolderOutsideItsOwn) {
  TempStore store;
  store.WriteFile("句子库/lib/a.txt", "a");
  store.MakeFolder("句子库/\x81");  // a library whose name is one lead byte
  const Text escapes = "\x81/..";
  EXPECT_EQ(ResourceStore::LibraryFolder(kSentence, escapes), "");
  EXPECT_EQ(ResourceStore::DeleteLibraryFolder(kSentence, escapes), FolderRemoval::kRefused);
  EXPECT_EQ(store.ReadFile("句子库/lib/a.txt"), "a");
  EXPECT_EQ(ResourceStore::EnsureLibraryFolder(kSentence, "\x81/x").error, kRefusedName);
  EXPECT_FALSE(store.Exists("句子库/\x81/x"));
}

// Two running copies of the program writing one registry keep every change of both.
TEST(StoreLock, TwoProcessesWritingOneRegistryLoseNothing) {
  TempStore store;
  constexpr int kEach = 60;
  auto writeTags = [](const char* prefix) {
    for (int i = 0; i < kEach; ++i) {
      const Text name = prefix + std::to_string(i);
      if (!ResourceStore::WriteTag(kSentence, name, "{" + name + "}")) return false;
    }
    return true;
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(writeTags("child") ? 0 : 1);
  const bool parentWrote = writeTags("parent");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(parentWrote);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::vector<LibraryRecord> records = ResourceStore::ListLibrariesWithTags(kSentence);
  EXPECT_EQ(records.size(), 2u * kEach);
  for (const LibraryRecord& record : records) EXPECT_EQ(record.tag, "{" + record.name + "}");
}

TEST(StoreLock, ChangesWaitForTheHolderAndNestWithinAThread) {
  TempStore store;
  std::atomic<bool> holding{false}, released{false};
  std::thread holder([&] {
    ResourceStore::UnderStoreLock([&] {
      holding = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      released = true;
      return FileStatus::Done();
    });
  });
  while (!holding) std::this_thread::yield();
  bool sawRelease = false;
  ResourceStore::UnderStoreLock([&] {
    sawRelease = released;
    return ResourceStore::WriteTag(kSentence, "nested", "{n}");  // takes the lock again
  });
  holder.join();
  EXPECT_TRUE(sawRelease);
  EXPECT_EQ(ResourceStore::ReadTag(kSentence, "nested"), "{n}");
}

TEST(Sweep, RemovesLeftoversWhereverTheProgramWrites) {
  TempStore store;
  store.RegisterLibrary(kSentence, "lib", "{t}");
  store.WriteFile(".wordloom-1.tmp", "");
  store.WriteFile("模版/.wordloom-2.tmp", "");
  store.WriteFile("句子库/lib/.wordloom-3.tmp", "");
  store.WriteFile("句子库/lib/a.txt", "a");
  ResourceStore::SweepTemporaryFiles();
  EXPECT_FALSE(store.Exists(".wordloom-1.tmp"));
  EXPECT_FALSE(store.Exists("模版/.wordloom-2.tmp"));
  EXPECT_FALSE(store.Exists("句子库/lib/.wordloom-3.tmp"));
  EXPECT_TRUE(store.Exists("句子库/lib/a.txt"));
}

}  // namespace
}  // namespace wordloom
