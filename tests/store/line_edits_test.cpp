#include "store/line_edits.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "store/line_rule.h"
#include "store/resource_store.h"
#include "support/temp_store.h"

namespace wordloom {
namespace {

using testing::G;

struct Edited {
  ByteArray bytes;
  LineEdit outcome;
};
Edited Insert(ByteArray bytes, std::size_t position, const TextArray& lines) {
  const LineEdit outcome = InsertLines(bytes, position, lines);
  return {bytes, outcome};
}
Edited Delete(ByteArray bytes, const std::vector<std::size_t>& lines) {
  const LineEdit outcome = DeleteLines(bytes, lines);
  return {bytes, outcome};
}

TEST(InsertLines, NewLinesLandWhereAskedAndEveryOtherByteStays) {
  EXPECT_EQ(Insert("a\r\nb\r\n", 1, {"x"}).bytes, "x\r\na\r\nb\r\n");
  EXPECT_EQ(Insert("a\r\nb\r\n", 2, {"x", "y"}).bytes, "a\r\nx\r\ny\r\nb\r\n");
  // After the last line: a final CR LF stays final, and its absence stays absent.
  EXPECT_EQ(Insert("a\r\nb\r\n", 3, {"x", "y"}).bytes, "a\r\nb\r\nx\r\ny\r\n");
  EXPECT_EQ(Insert("a\r\nb", 3, {"x", "y"}).bytes, "a\r\nb\r\nx\r\ny");
  EXPECT_EQ(Insert("", 1, {"x"}).bytes, "x\r\n") << "a new file's lines end in CR LF";
  // Inner empty lines, lone CR and LF, and a new empty line all keep their places.
  EXPECT_EQ(Insert("a\n\r\n\r\nc\r", 2, {""}).bytes, "a\n\r\n\r\n\r\nc\r");
  // The bytes from the first NUL on are no lines and stay behind the text.
  EXPECT_EQ(Insert(ByteArray("a\r\nb\0c\r\n", 8), 3, {"x"}).bytes,
            ByteArray("a\r\nb\r\nx\0c\r\n", 11));
  Edited e = Insert("a\r\n", 2, {G("第二行"), G("誡")});
  ASSERT_EQ(e.outcome, LineEdit::kDone);
  EXPECT_EQ(ResourceStore::SplitLines(e.bytes), (TextArray{"a", G("第二行"), G("誡")}));
}

TEST(InsertLines, RefusesWhatWouldNotStayLineForLine) {
  const ByteArray file = "a\r\nb";
  for (std::size_t position : {0u, 4u}) {
    Edited e = Insert(file, position, {"x"});
    EXPECT_EQ(e.outcome, LineEdit::kNoSuchLine) << position;
    EXPECT_EQ(e.bytes, file);
  }
  for (const Text& bad : {Text("x\r\ny"), Text("x\0y", 3), Text("x\x81")}) {
    Edited e = Insert(file, 2, {"ok", bad});
    EXPECT_EQ(e.outcome, LineEdit::kNotOneLine);
    EXPECT_EQ(e.bytes, file);
  }
  // Nothing follows a line appended last, so its trailing lead byte harms nothing ...
  EXPECT_EQ(Insert(file, 3, {"x\x81"}).bytes, "a\r\nb\r\nx\x81");
  // ... but a last line ending in half a character would take the new CR LF as its own.
  EXPECT_EQ(Insert("a\r\nb\x81", 3, {"x"}).outcome, LineEdit::kNotOneLine);
  EXPECT_EQ(Insert("a\r\nb\x81", 2, {"x"}).bytes, "a\r\nx\r\nb\x81");
  EXPECT_EQ(Insert(file, 1, {}).bytes, file);
}

TEST(DeleteLines, TheDeletedLinesGoWithTheirLineEndsAndNothingElse) {
  const ByteArray file = "a\r\n\r\nc\nd\r\ne\r\n";
  EXPECT_EQ(Delete(file, {1}).bytes, "\r\nc\nd\r\ne\r\n");
  EXPECT_EQ(Delete(file, {2, 4}).bytes, "a\r\nc\nd\r\n");
  EXPECT_EQ(Delete(file, {1, 2, 3, 4}).bytes, "") << "the empty piece after the last CR LF";
  EXPECT_EQ(Delete(file, {1, 2, 3, 4, 5}).bytes, "");
  // Without a final CR LF the file stays without one.
  EXPECT_EQ(Delete("a\r\nb\r\nc", {3}).bytes, "a\r\nb");
  EXPECT_EQ(Delete("a\r\nb\r\nc", {1, 3}).bytes, "b");
  EXPECT_EQ(Delete(ByteArray("a\r\nb\0z", 6), {1}).bytes, ByteArray("b\0z", 3));
  // A line cut at a character boundary, as the store cuts it: "\x81\r" is one character.
  EXPECT_EQ(Delete("p\x81\r\nq\r\ny\r\nz", {2}).bytes, "p\x81\r\nq\r\nz");
}

TEST(DeleteLines, RefusesLinesThatAreNotThereOrNotInOrder) {
  const ByteArray file = "a\r\nb\r\n";
  for (const std::vector<std::size_t>& bad :
       std::vector<std::vector<std::size_t>>{{0}, {4}, {2, 1}, {1, 1}}) {
    Edited e = Delete(file, bad);
    EXPECT_EQ(e.outcome, LineEdit::kNoSuchLine);
    EXPECT_EQ(e.bytes, file);
  }
  EXPECT_EQ(Delete(file, {}).bytes, file);
}

// Inserting lines and deleting them again gives the file back, wherever they went.
TEST(LineEdits, DeletingInsertedLinesGivesTheFileBack) {
  for (const ByteArray& file : {ByteArray(""), ByteArray("a"), ByteArray("a\r\n"),
                                ByteArray("a\r\n\r\nb"), ByteArray("\r\n\r\n")}) {
    const std::size_t count = LineSpans(file, EmptyLastLine::kLine).size();
    for (std::size_t position = 1; position <= count + 1; ++position) {
      Edited e = Insert(file, position, {"x", "", "y"});
      ASSERT_EQ(e.outcome, LineEdit::kDone);
      EXPECT_EQ(Delete(e.bytes, {position, position + 1, position + 2}).bytes, file)
          << "file " << ::testing::PrintToString(file) << " position " << position;
    }
  }
}

class RewriteShownFileTest : public ::testing::Test {
 protected:
  FileRewrite Rewrite(const ByteArray& shown, const std::function<bool(ByteArray&)>& edit) {
    return RewriteShownFile(path, shown, edit);
  }
  testing::TempStore store;
  Text path = store.Path("a.txt");
};

TEST_F(RewriteShownFileTest, WritesTheEditOfWhatWasShown) {
  store.WriteFile("a.txt", "a\r\nb\r\n");
  FileRewrite r = Rewrite("a\r\nb\r\n",
                          [](ByteArray& b) { return InsertLines(b, 2, {"x"}) == LineEdit::kDone; });
  EXPECT_TRUE(r.status);
  EXPECT_TRUE(r.written);
  EXPECT_EQ(r.bytes, "a\r\nx\r\nb\r\n");
  EXPECT_EQ(store.ReadFile("a.txt"), r.bytes);
  // An edit that declines writes nothing.
  r = Rewrite(r.bytes, [](ByteArray&) { return false; });
  EXPECT_TRUE(r.status);
  EXPECT_FALSE(r.written);
}

TEST_F(RewriteShownFileTest, AnyChangeOnDiskSinceItWasShownIsRefused) {
  store.WriteFile("a.txt", "a\r\nb\r\nc");
  bool edited = false;
  auto edit = [&](ByteArray&) { return edited = true; };
  // A byte far from any line the edit means, and a NUL tail, count as much as any other.
  for (const ByteArray& shown :
       {ByteArray("a\r\nb\r\nd"), ByteArray("a\r\nb\r\nc\r\n"), ByteArray("a\r\nb\r\nc\0", 8)}) {
    FileRewrite r = Rewrite(shown, edit);
    EXPECT_EQ(r.status.error, kChangedOnDisk);
    EXPECT_FALSE(r.written);
  }
  EXPECT_FALSE(edited);
  EXPECT_EQ(store.ReadFile("a.txt"), "a\r\nb\r\nc");
  // A file removed since is not created again.
  std::remove(store.FsPath("a.txt").c_str());
  EXPECT_TRUE(Rewrite("a\r\nb\r\nc", edit).status.missing());
  EXPECT_FALSE(store.Exists("a.txt"));
}

}  // namespace
}  // namespace wordloom
