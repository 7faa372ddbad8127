#include "store/line_replacement.h"

#include <gtest/gtest.h>

#include "store/resource_store.h"
#include "support/temp_store.h"

namespace wordloom {
namespace {

using testing::G;

// Replaces and returns the outcome; `bytes` shows what would be written.
struct Edit {
  ByteArray bytes;
  LineReplacement outcome;
};
Edit Replace(ByteArray bytes, std::size_t line, const Text& expected, const Text& replacement) {
  const LineReplacement outcome = ReplaceLine(bytes, line, expected, replacement);
  return {bytes, outcome};
}

// The grid tests cover repeated sentences and the NUL tail; these cover the line ends.
TEST(ReplaceLine, LineEndsAndTheOtherLinesStayAsTheyWere) {
  EXPECT_EQ(Replace("a\r\n\r\nb", 2, "", "x").bytes, "a\r\nx\r\nb");
  EXPECT_EQ(Replace("a\r\nb", 2, "b", "c").bytes, "a\r\nc") << "no final CR LF is added";
  EXPECT_EQ(Replace("a\r\nb\r\n", 1, "a", "").bytes, "\r\nb\r\n");
  // An emptied last line leaves no line by the line rule, yet can be edited back.
  Edit emptied = Replace("a\r\nb", 2, "b", "");
  ASSERT_EQ(emptied.bytes, "a\r\n");
  EXPECT_EQ(Replace(emptied.bytes, 2, "", "b").bytes, "a\r\nb");
  // Lone CR and LF stay inside their lines.
  EXPECT_EQ(Replace("a\nb\r\nc\r", 2, "c\r", "d").bytes, "a\nb\r\nd");
}

TEST(ReplaceLine, ALineThatNoLongerHoldsTheOldTextIsLeftAlone) {
  const ByteArray file = "a\r\nb\r\n";
  for (std::size_t line : {0u, 3u, 4u}) {
    Edit e = Replace(file, line, "b", "x");
    EXPECT_EQ(e.outcome, LineReplacement::kLineChanged) << "line " << line;
    EXPECT_EQ(e.bytes, file);
  }
  EXPECT_EQ(Replace(file, 2, "bb", "x").outcome, LineReplacement::kLineChanged);
  EXPECT_EQ(Replace(file, 1, "b", "x").outcome, LineReplacement::kLineChanged);
  EXPECT_EQ(Replace("", 1, "a", "x").outcome, LineReplacement::kLineChanged);
  // What follows a NUL byte is no line of the text.
  EXPECT_EQ(Replace(ByteArray("a\0b", 3), 2, "b", "x").outcome, LineReplacement::kLineChanged);
}

TEST(ReplaceLine, ANewTextThatWouldNotStayOneLineIsRefused) {
  const ByteArray file = "a\r\nb\r\nc";
  for (const Text& bad : {Text("x\r\ny"), Text("x\r\n"), Text("x\0y", 3),
                          Text("x\x81")}) {  // a lead byte that would take the next CR
    Edit e = Replace(file, 2, "b", bad);
    EXPECT_EQ(e.outcome, LineReplacement::kNotOneLine);
    EXPECT_EQ(e.bytes, file);
  }
  // At the end of the text nothing follows, so a trailing lead byte harms nothing.
  EXPECT_EQ(Replace(file, 3, "c", "x\x81").bytes, "a\r\nb\r\nx\x81");
  // A lone CR or LF is no line break.
  EXPECT_EQ(Replace(file, 2, "b", "x\ry\n").bytes, "a\r\nx\ry\n\r\nc");
}

TEST(ReplaceLine, LinesAreFoundAtCharacterBoundariesAsTheStoreSplitsThem) {
  // "\x81\r" is one character, so the CR LF after it does not end a line; 誡 is D5 5D.
  const ByteArray file = "p\x81\r\nq\r\n" + G("誡") + "\r\nz";
  const TextArray lines = ResourceStore::SplitLines(file);
  ASSERT_EQ(lines.size(), 3u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Edit e = Replace(file, i + 1, lines[i], "new");
    ASSERT_EQ(e.outcome, LineReplacement::kReplaced) << "line " << i + 1;
    TextArray expected = lines;
    expected[i] = "new";
    EXPECT_EQ(ResourceStore::SplitLines(e.bytes), expected) << "line " << i + 1;
  }
}

}  // namespace
}  // namespace wordloom
