#include "import/text_import.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "services/encoding.h"
#include "services/files.h"
#include "support/temp_store.h"

namespace wordloom::import {
namespace {

using testing::G;
using testing::TempStore;
constexpr auto kSentence = LibraryKind::kSentence;
constexpr auto kKeyword = LibraryKind::kKeyword;

ImportSource FromUtf8(std::string_view name, std::string_view utf8) {
  return PrepareImportSource(Utf8ToText(name), ByteArray(utf8));
}

TEST(ImportSource, CutsAtAnyLineEndAndDropsEmptyLines) {
  const ImportSource source = FromUtf8("a.txt", "一\r\n二\n三\r四\r\n\r\n\n五");
  ASSERT_TRUE(source.ok());
  EXPECT_EQ(source.encoding, "UTF-8");
  EXPECT_EQ(source.lines, (TextArray{G("一"), G("二"), G("三"), G("四"), G("五")}));
  EXPECT_EQ(source.emptyLines, 2u);
  EXPECT_TRUE(source.unmappable.empty());
  // A final break opens no further line; an empty file has none at all.
  EXPECT_EQ(FromUtf8("b.txt", "x\r\n").lines, (TextArray{"x"}));
  EXPECT_EQ(FromUtf8("b.txt", "x\r\n").emptyLines, 0u);
  EXPECT_TRUE(FromUtf8("c.txt", "").lines.empty());
}

TEST(ImportSource, ListsTheLinesGbkCannotHold) {
  const ImportSource source = FromUtf8("a.txt", "好\n\n😀好ሴ😀\nok\nሴ");
  ASSERT_TRUE(source.ok());
  ASSERT_EQ(source.unmappable.size(), 2u);
  const UnmappableLine& first = source.unmappable[0];
  EXPECT_EQ(first.index, 1u);
  EXPECT_EQ(first.sourceLine, 3u);
  EXPECT_EQ(first.text, u"😀好ሴ😀");
  EXPECT_EQ(first.characters, u"😀ሴ");
  EXPECT_EQ(first.occurrences, 3u);
  EXPECT_EQ(source.unmappable[1].sourceLine, 5u);
  // The lines themselves carry what GBK can hold.
  EXPECT_EQ(source.lines, (TextArray{G("好"), G("好"), "ok", ""}));
}

TEST(ImportSource, RefusesWhatIsNoText) {
  const ImportSource utf16WithoutMark = PrepareImportSource("u.txt", ByteArray("a\0b\0", 4));
  EXPECT_EQ(utf16WithoutMark.problem, SourceProblem::kNotText);
  TempStore store;
  store.MakeFifo("pipe.txt");
  const ImportSource pipe = ReadImportSource(store.Path("pipe.txt"));
  EXPECT_EQ(pipe.problem, SourceProblem::kUnreadable);
  EXPECT_EQ(pipe.status.error, kNotRegularFile);
  EXPECT_EQ(ReadImportSource(store.Path("missing.txt")).status.error, ENOENT);
}

class LibraryImport : public ::testing::Test {
 protected:
  TempStore store;
  const Text library = G("新闻");

  ImportOutcome Import(std::string_view sourceName, std::string_view utf8,
                       ImportOptions options = {}) {
    return ImportIntoLibrary(kSentence, library, FromUtf8(sourceName, utf8), options);
  }
  std::string File(std::string_view name) {
    return store.ReadFile("句子库/新闻/" + std::string(name));
  }
};

TEST_F(LibraryImport, WritesANewFileNamedAfterTheSourceAndNeverOverwrites) {
  store.RegisterLibrary(kSentence, "新闻", "{N}");
  const ImportOutcome first = Import("/some/where/今日.md", "甲\n乙\n");
  ASSERT_TRUE(first.status);
  EXPECT_EQ(first.fileName, G("今日.txt"));
  EXPECT_EQ(first.imported, 2u);
  EXPECT_EQ(File("今日.txt"), G("甲\r\n乙\r\n"));

  const ImportOutcome second = Import("今日.txt", "丙\n");
  EXPECT_EQ(second.fileName, G("今日 (2).txt"));
  EXPECT_EQ(File("今日.txt"), G("甲\r\n乙\r\n"));
  EXPECT_EQ(File("今日 (2).txt"), G("丙\r\n"));
  // A link that points nowhere takes its name too: writing would create its target.
  store.MakeLink("句子库/新闻/今日 (3).txt", store.FsPath("elsewhere.txt"));
  EXPECT_EQ(Import("今日", "丁").fileName, G("今日 (4).txt"));
  EXPECT_FALSE(store.Exists("elsewhere.txt"));
}

TEST_F(LibraryImport, DropsDuplicatesWithinTheFileAndAgainstTheLibraryOnRequest) {
  // The library's lines as the generator reads them: CR LF only, no final break needed.
  store.MakeFolder("句子库/新闻");
  store.WriteFile("句子库/新闻/old.txt", G("甲\r\n乙"));
  const std::string text = "甲\n丙\n乙\n丙\n丁\n";
  const ImportOutcome kept = Import("a.txt", text);
  EXPECT_EQ(kept.imported, 5u);
  EXPECT_EQ(kept.duplicates, 0u);

  const ImportOutcome deduped = Import("b.txt", text, {.dropDuplicates = true});
  EXPECT_EQ(deduped.imported, 0u) << "a.txt holds every line by now";
  EXPECT_EQ(deduped.duplicates, 5u);
  EXPECT_TRUE(deduped.fileName.empty());
  EXPECT_FALSE(store.Exists("句子库/新闻/b.txt"));

  ASSERT_TRUE(RemoveFile(store.Path("句子库/新闻/a.txt")));
  const ImportOutcome fresh = Import("c.txt", text, {.dropDuplicates = true});
  EXPECT_EQ(fresh.imported, 2u);
  EXPECT_EQ(fresh.duplicates, 3u);
  EXPECT_EQ(File("c.txt"), G("丙\r\n丁\r\n"));
}

TEST_F(LibraryImport, UnmappableLinesAreSkippedOrLoseTheirCharacters) {
  const std::string text = "好😀\n纯\n😀😀\n";
  const ImportOutcome skipped = Import("skip.txt", text);
  EXPECT_EQ(skipped.imported, 1u);
  EXPECT_EQ(skipped.unmappableSkipped, 2u);
  EXPECT_EQ(File("skip.txt"), G("纯\r\n"));

  const ImportOutcome dropped =
      Import("drop.txt", text, {.unmappable = UnmappablePolicy::kDropCharacters});
  EXPECT_EQ(dropped.imported, 2u);
  EXPECT_EQ(dropped.charactersDropped, 1u);
  EXPECT_EQ(dropped.unmappableSkipped, 1u) << "a line of nothing else is not imported empty";
  EXPECT_EQ(File("drop.txt"), G("好\r\n纯\r\n"));
}

TEST_F(LibraryImport, AnUnsafeLibraryNameWritesNothing) {
  for (const Text& name : {Text(".."), Text("a/b"), Text()}) {
    const ImportOutcome out = ImportIntoLibrary(kSentence, name, FromUtf8("x.txt", "a\n"), {});
    EXPECT_EQ(out.status.error, kRefusedName);
  }
  EXPECT_FALSE(store.Exists("句子库/x.txt"));
  EXPECT_FALSE(store.Exists("x.txt"));
}

TEST(ImportFileName, TakesTheSourceNameWithTxt) {
  EXPECT_EQ(ImportFileName("/a/b/words.csv"), "words.txt");
  EXPECT_EQ(ImportFileName("words.TXT"), "words.txt");
  EXPECT_EQ(ImportFileName("a.tar.gz"), "a.tar.txt");
  EXPECT_EQ(ImportFileName("README"), "README.txt");
  EXPECT_EQ(ImportFileName(".hidden"), ".hidden.txt");
  EXPECT_EQ(ImportFileName(G("dir/a\\b.txt")), G("导入.txt"));
}

TEST(LibraryExport, WritesEveryLineAsUtf8InListingOrder) {
  TempStore store;
  store.MakeFolder("关键词库/k");
  store.WriteFile("关键词库/k/b.txt", G("乙\r\n") + "\xFFx" + G("坏\r\n\r\n丙"));
  store.WriteFile("关键词库/k/a.txt", G("甲\r\n") + std::string("tail\0hidden\r\n", 13));
  store.WriteFile("关键词库/k/notes.md", "not a library file\r\n");
  const Text out = store.Path("out.txt");
  const ExportOutcome done = ExportLibrary(kKeyword, "k", out);
  ASSERT_TRUE(done.status) << DescribeFileError(done.status.error);
  EXPECT_EQ(done.files, 2u);
  EXPECT_EQ(done.lines, 6u);
  EXPECT_EQ(done.replacedBytes, 1u);
  EXPECT_EQ(store.ReadFile("out.txt"), "甲\ntail\n乙\n\uFFFDx坏\n\n丙\n");

  // Never over an existing file, and nothing half-written when a library file fails.
  EXPECT_EQ(ExportLibrary(kKeyword, "k", out).status.error, EEXIST);
  EXPECT_EQ(store.ReadFile("out.txt"), "甲\ntail\n乙\n\uFFFDx坏\n\n丙\n");
  store.MakeFifo("关键词库/k/c.txt");
  const ExportOutcome failed = ExportLibrary(kKeyword, "k", store.Path("out2.txt"));
  EXPECT_EQ(failed.status.error, kNotRegularFile);
  EXPECT_EQ(failed.failedPath, store.Path("关键词库/k/c.txt"));
  EXPECT_FALSE(store.Exists("out2.txt"));
  EXPECT_EQ(ExportLibrary(kKeyword, "missing", store.Path("out3.txt")).status.error, ENOENT);
}

TEST(NewFileWrites, NeverTakeAnOccupiedName) {
  TempStore store;
  store.WriteFile("taken.txt", "old");
  store.MakeFolder("folder");
  store.MakeLink("dangling", store.FsPath("target"));
  for (const char* name : {"taken.txt", "folder", "dangling"}) {
    EXPECT_EQ(WriteNewFileBytes(store.Path(name), "new").error, EEXIST) << name;
  }
  EXPECT_EQ(store.ReadFile("taken.txt"), "old");
  EXPECT_FALSE(store.Exists("target"));
  ASSERT_TRUE(WriteNewFileBytes(store.Path("fresh.txt"), "new"));
  EXPECT_EQ(store.ReadFile("fresh.txt"), "new");
  EXPECT_EQ(WriteNewFileBytes(store.Path("no/such/folder.txt"), "x").error, ENOENT);
}

TEST(PrepareLibrary, RegistersOnlyWhatIsNewAndUnclaimed) {
  TempStore store;
  store.RegisterLibrary(kSentence, "s", "{S}");
  EXPECT_EQ(PrepareLibrary(kKeyword, "k", std::nullopt).check, LibraryCheck::kNotRegistered);
  const LibraryCheckResult taken = PrepareLibrary(kKeyword, "k", Text("{S}"));
  EXPECT_EQ(taken.check, LibraryCheck::kTagTaken);
  EXPECT_EQ(taken.otherLibrary, "s");
  EXPECT_TRUE(ResourceStore::ListLibraries(kKeyword).empty());

  EXPECT_EQ(PrepareLibrary(kKeyword, "k", Text("{K}")).check, LibraryCheck::kCreated);
  EXPECT_EQ(ResourceStore::ReadTag(kKeyword, "k"), "{K}");
  EXPECT_TRUE(IsDirectory(ResourceStore::LibraryFolder(kKeyword, "k")));
  EXPECT_EQ(PrepareLibrary(kKeyword, "k", Text("{K}")).check, LibraryCheck::kReady);
  EXPECT_EQ(PrepareLibrary(kKeyword, "k", std::nullopt).check, LibraryCheck::kReady);
  const LibraryCheckResult differs = PrepareLibrary(kKeyword, "k", Text("{X}"));
  EXPECT_EQ(differs.check, LibraryCheck::kTagDiffers);
  EXPECT_EQ(differs.registeredTag, "{K}");
  EXPECT_EQ(ResourceStore::ReadTag(kKeyword, "k"), "{K}");
  EXPECT_EQ(PrepareLibrary(kKeyword, "..", Text("{Y}")).check, LibraryCheck::kUnsafeName);
}

}  // namespace
}  // namespace wordloom::import
