#include "templates/template_file_text.h"

#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace wordloom {
namespace {

// Every byte that can stand alone and every two-byte sequence, with all three kinds of break
// between the runs, as a hand-edited file might hold them.
std::string EveryByteSequence() {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  const char* breaks[] = {"\r\n", "\n", "\r"};
  for (int lead = 0x80; lead < 256; ++lead) {
    bytes += breaks[lead % 3];
    for (int trail = 0x40; trail < 256; ++trail) {
      bytes += static_cast<char>(lead);
      bytes += static_cast<char>(trail);
    }
  }
  return bytes;
}

TEST(TemplateFileText, AnyFileSurvivesATripThroughTheBox) {
  const std::string file = EveryByteSequence() + std::string("\0 after NUL\r\n", 13);
  TemplateFileText text;
  QPlainTextEdit box;
  box.setPlainText(text.Load(file));
  EXPECT_EQ(text.Save(box.toPlainText()), file);
}

TEST(TemplateFileText, EditsKeepTheBreaksAroundThemAndNewBreaksAreCrLf) {
  TemplateFileText text;
  const QString loaded = text.Load("a\nb\rc");
  ASSERT_EQ(loaded, QStringLiteral("a\nb\nc"));
  // Enter pressed on either side of the LF break: the box says where.
  text.Edited(loaded, QStringLiteral("a\n\nb\nc"), 1);
  EXPECT_EQ(text.Save(QStringLiteral("a\n\nb\nc")), "a\r\n\nb\rc");
  text.Load("a\nb\rc");
  text.Edited(loaded, QStringLiteral("a\n\nb\nc"), 2);
  EXPECT_EQ(text.Save(QStringLiteral("a\n\nb\nc")), "a\n\r\nb\rc");
  // Joining the first two lines takes the LF away; the lone CR stays.
  text.Load("a\nb\rc");
  text.Edited(loaded, QStringLiteral("ab\nc"), 0);
  EXPECT_EQ(text.Save(QStringLiteral("ab\nc")), "ab\rc");
  EXPECT_EQ(TemplateFileText::Shown("x\r\ny"), QStringLiteral("x\ny"));
}

TEST(TemplateFileText, ACharacterGbkCannotHoldIsNotSaved) {
  TemplateFileText text;
  EXPECT_EQ(text.Save(QStringLiteral("ok\n中文")), "ok\r\n" + std::string("\xD6\xD0\xCE\xC4"));
  EXPECT_FALSE(text.Save(QStringLiteral("ok\n\U0001F600")).has_value());
}

}  // namespace
}  // namespace wordloom
