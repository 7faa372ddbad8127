#include "templates/template_file_text.h"

#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace wordloom {
namespace {

TEST(TemplateFileText, AnyFileSurvivesATripThroughTheBox) {
  // Every byte alone, every two-byte sequence, all three kinds of line break, and a NUL.
  std::string file;
  for (int b = 1; b < 256; ++b) file += static_cast<char>(b);
  const char* breaks[] = {"\r\n", "\n", "\r"};
  for (int lead = 0x80; lead < 256; ++lead) {
    file += breaks[lead % 3];
    for (int trail = 0x40; trail < 256; ++trail)
      file += {static_cast<char>(lead), static_cast<char>(trail)};
  }
  file += std::string("\0 after NUL\r\n", 13);
  TemplateFileText text;
  QPlainTextEdit box;
  box.setPlainText(text.Load(file));
  EXPECT_EQ(text.Save(box.toPlainText()), file);
}

TEST(TemplateFileText, EditsKeepTheBreaksAroundThemAndNewBreaksAreCrLf) {
  TemplateFileText text;
  const QString loaded = text.Load("a\nb\rc");
  ASSERT_EQ(loaded, QStringLiteral("a\nb\nc"));
  // Enter pressed on either side of the LF break: the box tells where the edit began.
  text.Edited(loaded, QStringLiteral("a\n\nb\nc"), 1);
  EXPECT_EQ(text.Save(QStringLiteral("a\n\nb\nc")), "a\r\n\nb\rc");
  text.Load("a\nb\rc");
  text.Edited(loaded, QStringLiteral("a\n\nb\nc"), 2);
  EXPECT_EQ(text.Save(QStringLiteral("a\n\nb\nc")), "a\n\r\nb\rc");
  // Joining the first two lines takes the LF away; the lone CR stays.
  text.Load("a\nb\rc");
  text.Edited(loaded, QStringLiteral("ab\nc"), 0);
  EXPECT_EQ(text.Save(QStringLiteral("ab\nc")), "ab\rc");
}

}  // namespace
}  // namespace wordloom
