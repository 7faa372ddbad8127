// Batch files: title names, names that are taken, whole files only.
#include "batch/article_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "batch/batch_run.h"
#include "batch/title_names.h"
#include "services/encoding.h"
#include "support/file_size_limit.h"
#include "support/temp_store.h"

namespace wordloom::batch {
namespace {

namespace fs = std::filesystem;
using testing::G;

std::set<std::string> FolderNames(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(TitleName, IsTheFirstLineWithTextWithoutMarkupMadeSafe) {
  EXPECT_EQ(TitleName(G("<h1>春天的<b>杭州</b></h1>\r\n<p>正文</p>")), "春天的 杭州");
  // Lines of markup or white space only are passed over; CR LF and LF both end a line.
  EXPECT_EQ(TitleName(G("<div class=\"x\">\r\n  \t　\n<br/>\r\n西湖 游记\r\n")), "西湖 游记");
  EXPECT_EQ(TitleName(G("a/b\\c:d*e?f\"g|h")), "a_b_c_d_e_f_g_h");
  EXPECT_EQ(TitleName(G("Tom &amp; Jerry&nbsp;&lt;3&gt;")), "Tom & Jerry _3_");
  // No hidden files, no "." or "..", no trailing dots or spaces.
  EXPECT_EQ(TitleName(G("...隐藏的标题...  ")), "隐藏的标题");
  EXPECT_EQ(TitleName(".."), "");
  EXPECT_EQ(TitleName(G("<p></p>\r\n\r\n")), "");
  // Control characters become "_"; bytes that are no GBK character are dropped.
  EXPECT_EQ(TitleName(std::string("a\x01"
                                  "b\x81",
                                  4)),
            "a_b");
  // GBK characters whose second byte is "\" or "|" stay whole.
  const std::string whole = TitleName("\xB0\x5C\xB0\x7C");
  EXPECT_EQ(DecodeName(FileSystemToText(whole)).size(), 2u);
  EXPECT_EQ(whole.find('_'), std::string::npos);
  // Cut to 40 characters, whatever their width in bytes.
  std::string longTitle;
  for (int i = 0; i < 30; ++i) longTitle += G("长");
  for (int i = 0; i < 30; ++i) longTitle += "ab";
  const std::string cut = TitleName(longTitle);
  EXPECT_EQ(DecodeName(FileSystemToText(cut)).size(), kTitleChars);
  EXPECT_TRUE(cut.starts_with("长长") && cut.ends_with("abab")) << cut;
}

class ArticleFilesTest : public ::testing::Test {
 protected:
  testing::TempStore store;
  const std::string folder = store.FsPath("out");
  ArticleFilesTest() { store.MakeFolder("out"); }
};

TEST_F(ArticleFilesTest, TitleNamesNeverReplaceAFileInTheFolderOrOfTheBatch) {
  store.WriteFile(
      "out/"
      "春天.txt",
      "the user's own file");
  ArticleFiles files(folder, FileNames::kTitles, 5, false);
  const std::string articles[] = {G("春天\r\n一"), G("<h2>春天</h2>\r\n二"), G("夏天\r\n三"),
                                  G("春天\r\n四"), G("<p></p>\r\n")};
  std::vector<std::string> names;
  for (const std::string& a : articles) {
    ASSERT_TRUE(files.Write(a, a)) << files.Error();
    names.push_back(files.LastName());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"春天 (2).txt", "春天 (3).txt", "夏天.txt",
                                             "春天 (4).txt", "0005.txt"}));
  EXPECT_EQ(store.ReadFile("out/春天.txt"), "the user's own file");
  EXPECT_EQ(store.ReadFile("out/春天 (3).txt"), articles[1]);
  EXPECT_EQ(files.Written(), 5u);
  EXPECT_EQ(FolderNames(folder).size(), 6u) << "no temporary file is left";
}

TEST_F(ArticleFilesTest, NumberedNamesFindTakenNamesAndReplaceOnlyWhenAllowed) {
  store.WriteFile("out/0002.txt", "old two");
  store.WriteFile("out/0003.txt", "old three");
  store.WriteFile("out/00004.txt", "another width");
  store.WriteFile("out/0009.txt", "beyond the batch");
  ArticleFiles keep(folder, FileNames::kNumbers, 4, false);
  std::string first;
  EXPECT_EQ(keep.CountExisting(&first), 2u);
  EXPECT_EQ(first, "0002.txt");
  ASSERT_TRUE(keep.Write("one", "one"));
  EXPECT_FALSE(keep.Write("two", "two")) << "a taken name stops the batch";
  EXPECT_EQ(keep.ErrorCode(), EEXIST);
  EXPECT_NE(keep.Error().find("0002.txt"), std::string::npos) << keep.Error();
  EXPECT_EQ(store.ReadFile("out/0002.txt"), "old two");

  ArticleFiles replace(folder, FileNames::kNumbers, 4, true);
  for (const char* a : {"1", "2", "3", "4"}) ASSERT_TRUE(replace.Write(a, a));
  EXPECT_EQ(store.ReadFile("out/0002.txt"), "2");
  EXPECT_EQ(FolderNames(folder), (std::set<std::string>{"0001.txt", "0002.txt", "0003.txt",
                                                        "0004.txt", "00004.txt", "0009.txt"}));
  EXPECT_EQ(NumberedName(7, 12345), "00007.txt");
}

TEST_F(ArticleFilesTest, AFailedWriteLeavesNothingOfItsFile) {
  ArticleFiles files(folder, FileNames::kNumbers, 3, false);
  ASSERT_EQ(files.CheckWritable(), 0);
  ASSERT_TRUE(files.Write("small", "small"));
  {
    testing::FileSizeLimit full(1000);
    EXPECT_FALSE(files.Write(std::string(5000, 'x'), "big"));
    EXPECT_EQ(files.ErrorCode(), EFBIG);
    EXPECT_NE(files.Error().find("0002.txt"), std::string::npos) << files.Error();
  }
  EXPECT_EQ(FolderNames(folder), std::set<std::string>{"0001.txt"});

  // A folder that is not there, or a file in the way, cannot take files.
  ArticleFiles nowhere(store.FsPath("missing"), FileNames::kNumbers, 1, false);
  EXPECT_EQ(nowhere.CheckWritable(), ENOENT);
  std::string level;
  int code = 0;
  store.WriteFile("blocker", "x");
  EXPECT_FALSE(CreateFolderWithParents(store.FsPath("blocker/inner"), level, code));
  EXPECT_EQ(level, store.FsPath("blocker"));
  EXPECT_EQ(code, ENOTDIR);
}

TEST_F(ArticleFilesTest, ABatchStopsAtAFailureAndReportsTheFilesWritten) {
  BatchRequest request;
  request.templateText = G("<p>同一篇</p>");
  request.count = 5;
  request.fsFolder = folder;
  request.seed = 1;
  BatchControl control;
  std::uint64_t lastShown = 0;
  BatchOutcome done = RunBatch(request, control, [&](std::uint64_t written, double) {
    lastShown = written;
    EXPECT_EQ(control.measuring.load(), written == 5) << "the last call comes as writing ends";
  });
  EXPECT_EQ(done.end, BatchOutcome::End::kDone);
  EXPECT_EQ(lastShown, 5u);
  ASSERT_TRUE(done.figures.has_value());
  EXPECT_EQ(done.figures->articles, 5u);
  EXPECT_EQ(done.figures->nearPairs, 10u);
  EXPECT_EQ(done.names.back(), "0005.txt");

  // Articles of 400 or 2,000 bytes against a limit of 1,000 bytes a file: the batch stops
  // at the first long one, with the short ones before it whole, and a report over them.
  store.RegisterLibrary(LibraryKind::kSentence, "t", "{T}");
  store.WriteFile("句子库/t/a.txt", std::string(400, 'y') + "\r\n" + std::string(2000, 'z'));
  store.MakeFolder("second");
  request.fsFolder = store.FsPath("second");
  request.templateText = "{T}";
  request.count = 20;
  BatchControl again;
  BatchOutcome failed;
  {
    testing::FileSizeLimit full(1000);
    failed = RunBatch(request, again, [](std::uint64_t, double) {});
  }
  ASSERT_EQ(failed.end, BatchOutcome::End::kWriteFailed);
  EXPECT_EQ(failed.errorCode, EFBIG);
  EXPECT_EQ(failed.failedFile, request.fsFolder + "/" + NumberedName(failed.written + 1, 20));
  EXPECT_EQ(FolderNames(request.fsFolder).size(), failed.written);
  for (const std::string& name : failed.names)
    EXPECT_EQ(store.ReadFile("second/" + name), std::string(400, 'y'));
  ASSERT_TRUE(failed.figures.has_value());
  EXPECT_EQ(failed.figures->articles, failed.written);
}

}  // namespace
}  // namespace wordloom::batch
