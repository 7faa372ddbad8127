#include "templates/template_editor_window.h"

#include <QLabel>
#include <QListWidget>

#include <filesystem>

#include "gui/templates/template_window_fixture.h"

namespace wordloom {
namespace {

class TemplateEditorTest : public testing::TemplateWindowTest {
 protected:
  void Open() { OpenFromMain("按钮_新建文章模版", "wordloom::TemplateEditorWindow"); }
  void Save() { Press("按钮_保存"); }
  void ExpectOnlyWarning(const char* text) {
    ASSERT_EQ(messages.Seen().size(), 1u) << messages.Last().text.toStdString();
    EXPECT_EQ(messages.Last().text, QString::fromUtf8(text));
    EXPECT_EQ(messages.Last().flags, ui::kWarning);
    EXPECT_EQ(messages.Last().title, QStringLiteral("警告"));
  }
};

TEST_F(TemplateEditorTest, OpensEmptyWithItsDesignAndTheTagsOfBothRegistries) {
  store.RegisterLibrary(LibraryKind::kSentence, "新闻句子", "{<_新闻句子_>}");
  store.RegisterLibrary(LibraryKind::kSentence, "空", "");
  store.RegisterLibrary(LibraryKind::kKeyword, "城市", "{<_城市关键词_>}");
  Open();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("新建内容模版"));
  EXPECT_EQ(window->size(), QSize(686, 505));
  EXPECT_EQ(box->geometry(), QRect(5, 6, 504, 418));
  EXPECT_EQ(name->geometry(), QRect(489, 430, 109, 40));
  EXPECT_EQ(testing::Find<QPushButton>(window, "按钮_插入有序列表1")->text(),
            QStringLiteral("插入无序列表"));
  EXPECT_EQ(testing::Find<QLabel>(window, "标签_关键词标签")->text(),
            QStringLiteral("关键词标签：(建议不用插入)"));
  EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_TRUE(name->text().isEmpty());
  QTest::keyClick(name, Qt::Key_Return);  // presses no button of the dialog
  EXPECT_TRUE(box->toPlainText().isEmpty());
  EXPECT_TRUE(messages.Seen().empty());

  auto* sentences = testing::Find<QListWidget>(window, "列表框_句子库标签列表");
  ASSERT_EQ(sentences->count(), 2);
  EXPECT_EQ(sentences->item(0)->text(), QStringLiteral("新闻句子：{<_新闻句子_>}"));
  EXPECT_EQ(sentences->item(1)->text(), QStringLiteral("空："));
  EXPECT_EQ(ui::ItemNumber(sentences, 1), 2);
  auto* keywords = testing::Find<QListWidget>(window, "列表框_关键词库标签列表");
  ASSERT_EQ(keywords->count(), 1);
  EXPECT_EQ(keywords->item(0)->text(), QStringLiteral("城市：{<_城市关键词_>}"));
}

TEST_F(TemplateEditorTest, SavingWritesTheTextAndRebuildsTheMainList) {
  store.WriteGbkFile("模版/旧.txt", "old");
  Open();
  mainList->setCurrentIndex(1);
  Type(QStringLiteral("abc"));
  name->setText(QStringLiteral("新闻"));
  Save();
  EXPECT_EQ(store.ReadFile("模版/新闻.txt"), "abc");
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().text, QStringLiteral("保存成功！"));
  EXPECT_EQ(messages.Last().flags, ui::kOk);
  EXPECT_EQ(messages.Last().title, QStringLiteral("提示"));
  EXPECT_EQ(MainEntries(), (QStringList{QStringLiteral("请选择模版"), QStringLiteral("新闻.txt"),
                                        QStringLiteral("旧.txt")}));
  EXPECT_EQ(mainList->currentIndex(), 0);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(box->toPlainText(), QStringLiteral("abc"));
}

TEST_F(TemplateEditorTest, AnEmptyTextIsRefusedBeforeAnEmptyName) {
  Open();
  Save();
  ExpectOnlyWarning("模版不能为空。");
  if (testing::HasRealDisplay()) {
    EXPECT_TRUE(box->hasFocus());
  }
  messages.Clear();
  Type(QStringLiteral("x"));
  Save();
  ExpectOnlyWarning("文件名不能为空，为您的模版文件起个名字吧。");
  if (testing::HasRealDisplay()) {
    EXPECT_TRUE(name->hasFocus());
  }
  EXPECT_FALSE(store.Exists("模版"));
}

TEST_F(TemplateEditorTest, AnExistingTemplateIsOverwrittenOnlyAfterOk) {
  store.WriteGbkFile("模版/新闻.txt", "old");
  Open();
  Type(QStringLiteral("new"));
  name->setText(QStringLiteral("新闻"));
  messages.Answer(ui::kAnswerCancel);
  Save();
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().text, QStringLiteral("文件名已经存在，是否覆盖。"));
  EXPECT_EQ(messages.Last().flags, ui::kOkCancel);
  EXPECT_EQ(messages.Last().title, QStringLiteral("警告"));
  EXPECT_EQ(store.ReadFile("模版/新闻.txt"), "old");

  messages.Answer(ui::kAnswerOk);
  Save();
  ASSERT_EQ(messages.Seen().size(), 3u);
  EXPECT_EQ(messages.Last().text, QStringLiteral("保存成功！"));
  EXPECT_EQ(store.ReadFile("模版/新闻.txt"), "new");
}

TEST_F(TemplateEditorTest, AMissingFolderIsCreatedAndNamesAreTakenAsTyped) {
  Open();
  Type(QStringLiteral("t"));
  for (const char* typed : {"a.txt", " ", "誠"}) {  // 誠 is D5 5C: its second byte is "\"
    name->setText(QString::fromUtf8(typed));
    Save();
  }
  EXPECT_EQ(store.ReadFile("模版/a.txt.txt"), "t");
  EXPECT_EQ(store.ReadFile("模版/ .txt"), "t");
  EXPECT_EQ(store.ReadFile("模版/誠.txt"), "t");
  EXPECT_EQ(messages.Seen().size(), 3u) << "no overwrite question for new names";
}

TEST_F(TemplateEditorTest, ANameThatWouldLeaveTheFolderIsRefused) {
  Open();
  Type(QStringLiteral("t"));
  for (const char* typed : {"../escape", "a\\b"}) {
    messages.Clear();
    name->setText(QString::fromUtf8(typed));
    Save();
    ExpectOnlyWarning("文件名中不能含有“/”或“\\”，请换一个名字。");
  }
  EXPECT_FALSE(store.Exists("模版"));
  EXPECT_FALSE(store.Exists("escape.txt"));
}

TEST_F(TemplateEditorTest, ACharacterGbkCannotHoldIsNamedAndNothingIsWritten) {
  Open();
  box->setPlainText(QStringLiteral("好\U0001F600"));
  name->setText(QStringLiteral("a"));
  Save();
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("“\U0001F600”")));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_FALSE(store.Exists("模版/a.txt"));
}

TEST_F(TemplateEditorTest, AFailedWriteIsReportedAndTheMainListKeepsItsChoice) {
  store.WriteGbkFile("模版/b.txt", "B");
  store.MakeFolder("模版/新闻.txt");  // a folder where the file should go
  Open();
  mainList->setCurrentIndex(1);
  Type(QStringLiteral("abc"));
  name->setText(QStringLiteral("新闻"));
  Save();  // the overwrite question is answered OK
  ASSERT_EQ(messages.Seen().size(), 2u);
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("新闻.txt")));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("已有同名的文件夹")));
  EXPECT_EQ(mainList->currentIndex(), 1);
}

TEST_F(TemplateEditorTest, AFolderThatCannotBeCreatedIsReported) {
  Open();
  std::filesystem::remove_all(store.FsPath(""));  // the run directory itself is gone
  Type(QStringLiteral("abc"));
  name->setText(QStringLiteral("a"));
  Save();
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("无法创建文件夹")));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("模版")));
}

}  // namespace
}  // namespace wordloom
