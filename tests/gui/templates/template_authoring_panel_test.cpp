#include "templates/template_authoring_panel.h"

#include <QWindow>

#include "gui/templates/template_window_fixture.h"

namespace wordloom {
namespace {

class TemplatePanelTest : public testing::TemplateWindowTest {
 protected:
  void Open() { OpenFromMain("按钮_新建文章模版", "wordloom::TemplateEditorWindow"); }
  // What a save writes for the box as it stands.
  std::string Saved() {
    name->setText(QStringLiteral("t"));
    Save();  // an overwrite question is answered OK
    return store.ReadFile("模版/t.txt");
  }
  void DoubleClickTag(const char* list, int row) {
    testing::DoubleClickItem(testing::Find<QListWidget>(window, list), row);
  }
};

TEST_F(TemplatePanelTest, ListSkeletonsReachTheFileByteForByte) {
  Open();
  Press("按钮_插入有序列表1");
  const std::string unordered = "<ul>\r\n\t<li>\r\n\t\t<p>\r\n\t\t</p>\r\n\t</li>\r\n</ul>";
  ASSERT_EQ(unordered.size(), 41u);
  EXPECT_EQ(box->textCursor().position(), box->toPlainText().size()) << "caret after </ul>";
  EXPECT_EQ(Saved(), unordered);
  Press("按钮_清空");
  Press("按钮_插入有序列表");
  EXPECT_EQ(Saved(), "<ol>\r\n\t<li>\r\n\t\t<p>\r\n\t\t</p>\r\n\t</li>\r\n</ol>");
}

TEST_F(TemplatePanelTest, SnippetsReplaceTheSelectionOrGoToTheCaret) {
  Open();
  Type(QStringLiteral("abc"));
  box->selectAll();
  Press("按钮_插入P标签");
  EXPECT_EQ(box->toPlainText(), QStringLiteral("<p></p>"));
  QTextCursor caret = box->textCursor();
  caret.setPosition(3);  // between <p> and </p>; then the focus goes elsewhere
  box->setTextCursor(caret);
  name->setFocus();
  Press("按钮_插入H2标签");
  Press("按钮_插入制表符");
  EXPECT_EQ(box->toPlainText(), QStringLiteral("<p><h2></h2>\t</p>"));
  EXPECT_EQ(box->textCursor().position(), 13);
}

TEST_F(TemplatePanelTest, EachReleaseOfTabInTheBoxWritesOneTab) {
  Open();
  ui::FocusControl(box);
  if (testing::HasRealDisplay()) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }
  // Through the window, so each key goes wherever the focus is, as a user's would.
  QWindow* handle = window->windowHandle();
  for (Qt::Key key : {Qt::Key_A, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Shift, Qt::Key_B}) {
    QTest::keyClick(handle, key);
  }
  EXPECT_EQ(box->toPlainText(), QStringLiteral("a\t\tb"));
  if (testing::HasRealDisplay()) {
    EXPECT_TRUE(box->hasFocus());
  }
}

TEST_F(TemplatePanelTest, ADoubleClickedTagIsReadFromTheRegistryNow) {
  store.RegisterLibrary(LibraryKind::kSentence, "甲", "{甲}");
  store.RegisterLibrary(LibraryKind::kSentence, "乙", "{乙}");
  store.RegisterLibrary(LibraryKind::kSentence, "空", "");
  store.RegisterLibrary(LibraryKind::kKeyword, "城市", "{城}");
  Open();
  store.RegisterLibrary(LibraryKind::kSentence, "乙", "{乙改}");  // edited while open
  DoubleClickTag("列表框_句子库标签列表", 1);
  box->selectAll();
  DoubleClickTag("列表框_句子库标签列表", 2);  // an empty tag inserts nothing, keeps the selection
  box->moveCursor(QTextCursor::End);
  DoubleClickTag("列表框_关键词库标签列表", 0);
  EXPECT_EQ(box->toPlainText(), QStringLiteral("{乙改}{城}"));
  // With 甲 gone, the second position names 空 and the third names nothing.
  ASSERT_TRUE(ResourceStore::DeleteLibrary(LibraryKind::kSentence, testing::G("甲")));
  for (int row : {1, 2, 0}) DoubleClickTag("列表框_句子库标签列表", row);
  EXPECT_EQ(box->toPlainText(), QStringLiteral("{乙改}{城}{乙改}"));
  EXPECT_TRUE(messages.Seen().empty());
}

}  // namespace
}  // namespace wordloom
