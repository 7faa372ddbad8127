#include "services/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "services/encoding.h"
#include "support/file_size_limit.h"
#include "support/temp_store.h"
#include "util/file_listing.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using testing::G;
using testing::TempStore;

using testing::FileSizeLimit;

int CountEntries(const std::string& folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
  return n;
}

TEST(AtomicWrite, WritesCreatesAndReplaces) {
  TempStore store;
  Text path = store.Path("a.txt");
  ASSERT_TRUE(WriteFileBytes(path, {"ab", "", "c"}));
  EXPECT_EQ(ReadFileBytes(path), "abc");
  ASSERT_TRUE(WriteFileBytes(path, ByteArray("x\0y", 3)));
  EXPECT_EQ(ReadFileBytes(path), ByteArray("x\0y", 3));
  EXPECT_FALSE(WriteFileBytes(Text(), "x"));
}

TEST(AtomicWrite, AFullDiskLeavesTheOldFileByteForByte) {
  TempStore store;
  store.WriteFile("a.txt", "old content");
  const std::string big(1 << 20, 'x');
  {
    FileSizeLimit limit(64 * 1024);
    EXPECT_FALSE(WriteFileBytes(store.Path("a.txt"), big));
  }
  EXPECT_EQ(store.ReadFile("a.txt"), "old content");
  EXPECT_EQ(CountEntries(store.FsPath("")), 1);  // no temporary file left behind
}

TEST(AtomicWrite, FailsOnAFolderOrAMissingFolder) {
  TempStore store;
  store.MakeFolder("dir.txt");
  EXPECT_FALSE(WriteFileBytes(store.Path("dir.txt"), "x"));
  EXPECT_TRUE(fs::is_directory(store.FsPath("dir.txt")));
  EXPECT_FALSE(WriteFileBytes(store.Path("missing/a.txt"), "x"));
  EXPECT_FALSE(store.Exists("missing"));
}

TEST(AtomicWrite, KeepsPermissionsAndWritesThroughALink) {
  TempStore store;
  store.WriteFile("real.txt", "old");
  chmod(store.FsPath("real.txt").c_str(), 0640);
  fs::create_symlink("real.txt", store.FsPath("link.txt"));
  ASSERT_TRUE(WriteFileBytes(store.Path("link.txt"), "new"));
  EXPECT_TRUE(fs::is_symlink(store.FsPath("link.txt")));
  EXPECT_EQ(store.ReadFile("real.txt"), "new");
  struct stat st {};
  ASSERT_EQ(stat(store.FsPath("real.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(AtomicWrite, ANewFileNeverReplacesAnything) {
  TempStore store;
  ASSERT_TRUE(WriteNewFileBytes(store.Path("new.txt"), "a\r\n"));
  EXPECT_EQ(store.ReadFile("new.txt"), "a\r\n");
  EXPECT_EQ(WriteNewFileBytes(store.Path("new.txt"), "b").error, EEXIST);
  EXPECT_EQ(store.ReadFile("new.txt"), "a\r\n");
  store.MakeFolder("dir.txt");
  EXPECT_EQ(WriteNewFileBytes(store.Path("dir.txt"), "b").error, EEXIST);
  // A dangling link is something too: writing through it would create its target.
  fs::create_symlink("elsewhere.txt", store.FsPath("link.txt"));
  EXPECT_EQ(WriteNewFileBytes(store.Path("link.txt"), "b").error, EEXIST);
  EXPECT_FALSE(store.Exists("elsewhere.txt"));
  EXPECT_EQ(WriteNewFileBytes(store.Path("missing/a.txt"), "b").error, ENOENT);
  {
    FileSizeLimit limit(16);
    EXPECT_FALSE(WriteNewFileBytes(store.Path("big.txt"), std::string(1024, 'x')));
  }
  EXPECT_FALSE(store.Exists("big.txt"));
  EXPECT_EQ(CountEntries(store.FsPath("")), 3);  // no temporary file left behind
}

TEST(AtomicWrite, TemporaryFilesNeverLookLikeTextFilesAndAreSwept) {
  TempStore store;
  EXPECT_TRUE(IsTemporaryFileName(".wordloom-12345.tmp"));
  EXPECT_FALSE(MatchesWildcard(".wordloom-12345.tmp", "*.txt"));
  store.WriteFile("lib/.wordloom-777.tmp", "half");
  store.WriteFile("lib/keep.txt", "k");
  SweepTemporaryFiles(store.Path("lib"));
  EXPECT_FALSE(store.Exists("lib/.wordloom-777.tmp"));
  EXPECT_TRUE(store.Exists("lib/keep.txt"));
}

TEST(AtomicWrite, TheSweepLeavesTheFileOfARunningWriteAlone) {
  TempStore store;
  store.WriteFile(".wordloom-1.tmp", "being written");
  store.WriteFile(".wordloom-2.tmp", "left over");
  // Another process writing holds its temporary file locked until it is renamed.
  const int fd = open(store.FsPath(".wordloom-1.tmp").c_str(), O_RDONLY);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  SweepTemporaryFiles(store.Root());
  EXPECT_TRUE(store.Exists(".wordloom-1.tmp"));
  EXPECT_FALSE(store.Exists(".wordloom-2.tmp"));
  close(fd);
  SweepTemporaryFiles(store.Root());
  EXPECT_FALSE(store.Exists(".wordloom-1.tmp"));
}

// Pipes, devices and huge files are never waited on or read whole, and each says why.
TEST(BoundedRead, OnlyRegularFilesUpToTheLimitAreRead) {
  TempStore store;
  store.WriteFile("plain.txt", std::string("a\0b", 3));
  store.MakeFifo("pipe.txt");
  store.MakeLink("zero.txt", "/dev/zero");
  store.MakeOversizedFile("huge.txt");
  store.MakeFolder("folder.txt");

  const FileContent plain = ReadFile(store.Path("plain.txt"));
  EXPECT_TRUE(plain.status.ok());
  EXPECT_EQ(plain.bytes, std::string("a\0b", 3));
  const std::pair<const char*, int> failures[] = {{"pipe.txt", kNotRegularFile},
                                                  {"zero.txt", kNotRegularFile},
                                                  {"huge.txt", kFileTooLarge},
                                                  {"folder.txt", EISDIR},
                                                  {"missing.txt", ENOENT}};
  for (const auto& [name, error] : failures) {
    const FileContent read = ReadFile(store.Path(name));
    EXPECT_EQ(read.status.error, error) << name;
    EXPECT_TRUE(read.bytes.empty()) << name;
    EXPECT_EQ(read.status.missing(), error == ENOENT) << name;
  }
  EXPECT_EQ(ReadFile(Text()).status.error, ENOENT);
}

// A file of megabytes (read into memory the kernel is asked to back with large pages) comes
// back byte for byte, its first and last bytes too.
TEST(BoundedRead, ALargeFileIsReadWhole) {
  TempStore store;
  std::string bytes(5 * 1024 * 1024 + 123, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131) >> 3);
  store.WriteFile("big.txt", bytes);
  const FileContent read = ReadFile(store.Path("big.txt"));
  ASSERT_TRUE(read.status.ok());
  EXPECT_TRUE(read.bytes == bytes);
}

TEST(AtomicWrite, RefusesToReplaceAPipeOrADevice) {
  TempStore store;
  store.MakeFifo("pipe.txt");
  EXPECT_EQ(WriteFileBytes(store.Path("pipe.txt"), "x").error, kNotRegularFile);
  EXPECT_EQ(WriteFileBytes(store.Path("missing/a.txt"), "x").error, ENOENT);
}

TEST(RemoveTree, DeletesNestedFoldersButNeverFollowsLinks) {
  TempStore store;
  store.WriteFile("outside/precious.txt", "keep me");
  store.WriteFile("victim/a.txt", "a");
  store.WriteFile("victim/sub/deeper/b.txt", "b");
  fs::create_directory_symlink(store.FsPath("outside"), store.FsPath("victim/link"));
  fs::create_symlink(store.FsPath("outside/precious.txt"), store.FsPath("victim/sub/file-link"));

  EXPECT_TRUE(RemoveDirectoryTree(store.Path("victim")));
  EXPECT_FALSE(store.Exists("victim"));
  EXPECT_EQ(store.ReadFile("outside/precious.txt"), "keep me");
}

TEST(RemoveTree, RefusesLinksEmptyPathsAndTheRoot) {
  TempStore store;
  store.WriteFile("outside/precious.txt", "keep me");
  fs::create_directory_symlink(store.FsPath("outside"), store.FsPath("link"));
  EXPECT_FALSE(RemoveDirectoryTree(store.Path("link")));
  EXPECT_FALSE(RemoveDirectoryTree(store.Path("link") + "/"));
  EXPECT_TRUE(store.Exists("link"));
  EXPECT_EQ(store.ReadFile("outside/precious.txt"), "keep me");
  EXPECT_FALSE(RemoveDirectoryTree(""));
  EXPECT_FALSE(RemoveDirectoryTree("   "));
  EXPECT_FALSE(RemoveDirectoryTree("/"));
  EXPECT_FALSE(RemoveDirectoryTree("  //"));
  EXPECT_FALSE(RemoveDirectoryTree(store.Path("outside/precious.txt")));
}

TEST(Folders, ExistenceAndOneLevelCreation) {
  TempStore store;
  EXPECT_TRUE(MakeDirectory(store.Path("a")));
  EXPECT_EQ(MakeDirectory(store.Path("a")).error, EEXIST);
  EXPECT_EQ(MakeDirectory(store.Path("x/y")).error, ENOENT);
  EXPECT_TRUE(PathExists(store.Path("a")));
  EXPECT_FALSE(PathExists(store.Path("b")));
  EXPECT_FALSE(PathExists(Text()));
  store.WriteFile("f.txt", "");
  EXPECT_TRUE(RemoveFile(store.Path("f.txt")));
  EXPECT_FALSE(RemoveFile(store.Path("f.txt")));
  EXPECT_FALSE(RemoveFile(store.Path("a")));
}

TEST(Listing, FilesOnlyAnyAttributesAndCaseInsensitivePattern) {
  TempStore store;
  store.WriteFile("t/a.txt", "");
  store.WriteFile("t/.hidden.txt", "");
  store.WriteFile("t/B.TXT", "");
  store.WriteFile("t/c.text", "");
  store.MakeFolder("t/old.txt");
  TextArray names;
  EXPECT_EQ(EnumerateFiles(store.Path("t"), "*.txt", names), 3);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (TextArray{".hidden.txt", "B.TXT", "a.txt"}));
}

TEST(Listing, TrailingSeparatorGivesTheSamePathsAndMissingFoldersEmptyTheArray) {
  TempStore store;
  store.WriteGbkFile("t/x.txt", "");
  TextArray with, without;
  EnumerateFiles(store.Path("t") + "/", "*.txt", with, true);
  EnumerateFiles(store.Path("t"), "*.txt", without, true);
  EXPECT_EQ(with, without);
  EXPECT_EQ(without, (TextArray{store.Path("t/x.txt")}));
  TextArray names{"stale"};
  EXPECT_EQ(EnumerateFiles(store.Path("nowhere"), "*.txt", names), 0);
  EXPECT_TRUE(names.empty());
}

TEST(Listing, NamesComeBackAsTextsThatOpenTheSameFiles) {
  TempStore store;
  store.WriteFile("t/\xE6\x96\xB0\xE9\x97\xBB.txt", "gbk");  // 新闻.txt
  store.WriteFile("t/\xF0\x9F\x98\x80.txt", "emoji");        // beyond GBK
  store.WriteFile(
      "t/\x81"
      "A.txt",
      "latin");  // not UTF-8
  TextArray paths;
  ASSERT_EQ(EnumerateFiles(store.Path("t"), "*.txt", paths, true, true), 3);
  EXPECT_NE(std::find(paths.begin(), paths.end(), store.Root() + "/t/" + G("新闻") + ".txt"),
            paths.end());
  std::set<ByteArray> contents;
  for (const Text& p : paths) contents.insert(ReadFileBytes(p));
  EXPECT_EQ(contents, (std::set<ByteArray>{"gbk", "emoji", "latin"}));
}

TEST(Wildcard, StarsQuestionMarksAndCharacters) {
  EXPECT_TRUE(MatchesWildcard("a.txt", "*.txt"));
  EXPECT_TRUE(MatchesWildcard(".txt", "*.txt"));
  EXPECT_FALSE(MatchesWildcard("a.txtx", "*.txt"));
  EXPECT_TRUE(MatchesWildcard("\xD6\xD0.txt", "?.txt"));  // ? takes a whole character
  EXPECT_TRUE(MatchesWildcard("abc", "a*c*"));
  EXPECT_FALSE(MatchesWildcard("abc", "a?"));
}

TEST(FileIdentityCheck, SeesAReplacedFile) {
  TempStore store;
  store.WriteFile("a.txt", "one");
  FileIdentity first = IdentifyFile(store.Path("a.txt"));
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(first, IdentifyFile(store.Path("a.txt")));
  ASSERT_TRUE(WriteFileBytes(store.Path("a.txt"), "two"));
  EXPECT_NE(first, IdentifyFile(store.Path("a.txt")));
  EXPECT_FALSE(IdentifyFile(store.Path("none")).exists);
}

}  // namespace
}  // namespace wordloom
