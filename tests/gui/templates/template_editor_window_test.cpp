#include "templates/template_editor_window.h"

#include <filesystem>

#include "gui/templates/template_window_fixture.h"

namespace wordloom {
namespace {

class TemplateEditorTest : public testing::TemplateWindowTest {
 protected:
  void Open() { OpenFromMain("按钮_新建文章模版", "wordloom::TemplateEditorWindow"); }
  void Write(const char* text, const char* typedName) {
    Type(QString::fromUtf8(text));
    name->setText(QString::fromUtf8(typedName));
  }
};

TEST_F(TemplateEditorTest, OpensEmptyWithTheTagsOfBothRegistries) {
  store.RegisterLibrary(LibraryKind::kSentence, "新闻句子", "{<_新闻句子_>}");
  store.RegisterLibrary(LibraryKind::kSentence, "空", "");
  store.RegisterLibrary(LibraryKind::kKeyword, "城市", "{<_城市关键词_>}");
  Open();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("新建内容模版"));
  EXPECT_EQ(window->size(), QSize(686, 505));
  EXPECT_EQ(Items("列表框_句子库标签列表"),
            (QStringList{QStringLiteral("新闻句子：{<_新闻句子_>}"), QStringLiteral("空：")}));
  EXPECT_EQ(ui::ItemNumber(testing::Find<QListWidget>(window, "列表框_句子库标签列表"), 1), 2);
  EXPECT_EQ(Items("列表框_关键词库标签列表"),
            QStringList{QStringLiteral("城市：{<_城市关键词_>}")});
  QTest::keyClick(name, Qt::Key_Return);  // presses no button of the dialog
  EXPECT_TRUE(box->toPlainText().isEmpty());
  EXPECT_TRUE(messages.Seen().empty());
}

TEST_F(TemplateEditorTest, SavingWritesTheTextAndRebuildsTheMainList) {
  store.WriteGbkFile("模版/旧.txt", "old");
  Open();
  mainList->setCurrentIndex(1);
  Write("abc", "新闻");
  Save();
  EXPECT_EQ(store.ReadFile("模版/新闻.txt"), "abc");
  ASSERT_EQ(messages.Seen().size(), 1u);
  ExpectLast("保存成功！", ui::kOk);
  EXPECT_EQ(MainEntries(), (QStringList{QStringLiteral("请选择模版"), QStringLiteral("新闻.txt"),
                                        QStringLiteral("旧.txt")}));
  EXPECT_EQ(mainList->currentIndex(), 0);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(TemplateEditorTest, AnEmptyTextIsRefusedBeforeAnEmptyName) {
  Open();
  Save();
  ExpectLast("模版不能为空。");
  if (testing::HasRealDisplay()) {
    EXPECT_TRUE(box->hasFocus());
  }
  Type(QStringLiteral("x"));
  Save();
  ExpectLast("文件名不能为空，为您的模版文件起个名字吧。");
  if (testing::HasRealDisplay()) {
    EXPECT_TRUE(name->hasFocus());
  }
  EXPECT_EQ(messages.Seen().size(), 2u);
  EXPECT_FALSE(store.Exists("模版"));
}

TEST_F(TemplateEditorTest, AnExistingTemplateIsOverwrittenOnlyAfterOk) {
  store.WriteGbkFile("模版/新闻.txt", "old");
  Open();
  Write("new", "新闻");
  messages.Answer(ui::kAnswerCancel);
  Save();
  ExpectLast("文件名已经存在，是否覆盖。", ui::kOkCancel);
  EXPECT_EQ(store.ReadFile("模版/新闻.txt"), "old");
  Save();  // answered OK
  ExpectLast("保存成功！", ui::kOk);
  EXPECT_EQ(messages.Seen().size(), 3u);
  EXPECT_EQ(store.ReadFile("模版/新闻.txt"), "new");
}

TEST_F(TemplateEditorTest, AMissingFolderIsCreatedAndNamesAreTakenAsTyped) {
  Open();
  Type(QStringLiteral("t"));
  for (const char* typed : {"a.txt", " ", "誠"}) {  // 誠 is D5 5C: its second byte is "\"
    name->setText(QString::fromUtf8(typed));
    Save();
    ExpectLast("保存成功！", ui::kOk);
  }
  EXPECT_EQ(store.ReadFile("模版/a.txt.txt"), "t");
  EXPECT_EQ(store.ReadFile("模版/ .txt"), "t");
  EXPECT_EQ(store.ReadFile("模版/誠.txt"), "t");
}

TEST_F(TemplateEditorTest, NamesThatLeaveTheFolderAndTextsGbkCannotHoldWriteNothing) {
  Open();
  Write("t", "../escape");
  Save();
  ExpectLast("文件名中不能含有“/”或“\\”，请换一个名字。");
  name->setText(QStringLiteral("a\\b"));
  Save();
  ExpectLast("文件名中不能含有“/”或“\\”，请换一个名字。");
  name->setText(QStringLiteral("a"));
  box->setPlainText(QStringLiteral("好\U0001F600"));
  Save();
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("“\U0001F600”")));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_EQ(messages.Seen().size(), 3u);
  EXPECT_FALSE(store.Exists("模版"));
  EXPECT_FALSE(store.Exists("escape.txt"));
}

TEST_F(TemplateEditorTest, FailuresToWriteAreReportedAndTheMainListKeepsItsChoice) {
  store.WriteGbkFile("模版/b.txt", "B");
  store.MakeFolder("模版/新闻.txt");  // a folder where the file should go
  Open();
  mainList->setCurrentIndex(1);
  Write("abc", "新闻");
  Save();  // the overwrite question is answered OK
  ASSERT_EQ(messages.Seen().size(), 2u);
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("新闻.txt")));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("已有同名的文件夹")));
  EXPECT_EQ(mainList->currentIndex(), 1);

  std::filesystem::remove_all(store.FsPath(""));  // the run directory itself is gone
  Save();
  EXPECT_EQ(messages.Seen().size(), 3u);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("无法创建文件夹")));
  EXPECT_EQ(mainList->currentIndex(), 1);
}

TEST_F(TemplateEditorTest, ClosingWithUnsavedTextAsksToSaveDiscardOrGoBack) {
  Open();
  window->close();  // nothing typed: nothing to ask
  EXPECT_TRUE(messages.Seen().empty());
  EXPECT_FALSE(window && window->isVisible());

  Open();
  Write("<p>draft</p>", "");
  messages.Answer(ui::kAnswerCancel);
  window->close();
  ExpectLast("模版还没有保存，是否保存？", ui::kYesNoCancel);
  ASSERT_TRUE(window && window->isVisible()) << "going back keeps the window and the text";
  EXPECT_EQ(box->toPlainText(), QStringLiteral("<p>draft</p>"));

  // Saving without a name cannot succeed: the user is told, and the window stays.
  messages.Answer(ui::kAnswerOk);
  QTest::keyClick(window, Qt::Key_Escape);
  ExpectLast("文件名不能为空，为您的模版文件起个名字吧。");
  ASSERT_TRUE(window && window->isVisible());

  name->setText(QStringLiteral("草稿"));
  messages.Answer(ui::kAnswerOk);
  window->close();
  ExpectLast("保存成功！", ui::kOk);
  EXPECT_FALSE(window && window->isVisible());
  EXPECT_EQ(store.ReadFile("模版/草稿.txt"), "<p>draft</p>");
  EXPECT_EQ(MainEntries().size(), 2);

  Open();
  Write("gone", "丢掉");
  messages.Answer(ui::kAnswerNo);
  window->close();
  EXPECT_FALSE(window && window->isVisible());
  EXPECT_FALSE(store.Exists("模版/丢掉.txt"));
}

TEST_F(TemplateEditorTest, AfterASaveOnlyNewEditsAreUnsaved) {
  Open();
  Write("abc", "a");
  Save();
  messages.Clear();
  window->close();
  EXPECT_TRUE(messages.Seen().empty());
  EXPECT_FALSE(window && window->isVisible());
}

}  // namespace
}  // namespace wordloom
