#include "templates/template_manager_window.h"

#include <filesystem>

#include "gui/templates/template_window_fixture.h"

namespace wordloom {
namespace {

class TemplateManagerTest : public testing::TemplateWindowTest {
 protected:
  void Open() {
    OpenFromMain("按钮_管理文章模版", "wordloom::TemplateManagerWindow");
    manager = qobject_cast<TemplateManagerWindow*>(window.data());
    list = testing::Find<QListWidget>(window, "列表框_模版列表");
  }
  int RowOf(const char* item) const {
    return static_cast<int>(Items("列表框_模版列表").indexOf(QString::fromUtf8(item)));
  }
  void Load(const char* item) { testing::DoubleClickItem(list, RowOf(item)); }
  void Delete() { Press("按钮_插入P标签1"); }
  void TypeAtEnd(const QString& keys) {
    box->moveCursor(QTextCursor::End);
    Type(keys);
  }

  TemplateManagerWindow* manager = nullptr;
  QListWidget* list = nullptr;
};

TEST_F(TemplateManagerTest, ListsTheTemplateFilesAndLoadsTextAndName) {
  store.WriteGbkFile("模版/新闻.txt", "新闻正文");
  store.WriteGbkFile("模版/旅游.txt", "<p>旅游</p>");
  store.WriteGbkFile("模版/a.txt.txt", "A");
  store.WriteGbkFile("模版/B.TXT", "B");
  store.WriteGbkFile("模版/说明.doc", "no");
  Open();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("管理文章模版"));
  const QStringList items = Items("列表框_模版列表");
  EXPECT_EQ(QSet<QString>(items.begin(), items.end()),
            (QSet<QString>{QStringLiteral("新闻.txt"), QStringLiteral("旅游.txt"),
                           QStringLiteral("a.txt.txt"), QStringLiteral("B.TXT")}));
  for (int row = 0; row < list->count(); ++row) {
    EXPECT_EQ(manager->TemplatePaths().at(ui::ItemNumber(list, row) - 1),
              store.Path("模版/") + ui::NameFromDisplay(items[row]));
  }
  Load("旅游.txt");
  EXPECT_EQ(box->toPlainText(), QStringLiteral("<p>旅游</p>"));
  EXPECT_EQ(name->text(), QStringLiteral("旅游"));
  EXPECT_EQ(manager->CurrentTemplatePath(), store.Path("模版/旅游.txt"));
  Load("a.txt.txt");
  EXPECT_EQ(name->text(), QStringLiteral("a"));
  Load("B.TXT");
  EXPECT_EQ(name->text(), QStringLiteral("B.TXT"));
}

TEST_F(TemplateManagerTest, SavingBackKeepsWhatTheUserDidNotEdit) {
  // Hand-edited: LF-only and lone CR breaks, bytes that are not GBK, and a NUL with bytes
  // after it (the box shows what comes before, as the generator reads it).
  const std::string original = "one\ntwo\r\nthree\rfour\xFF\x81!\r\n";
  const std::string afterNul("\0after", 6);
  store.WriteFile("模版/a.txt", original + afterNul);
  store.WriteGbkFile("模版/z.txt", "Z");
  Open();
  mainList->setCurrentIndex(2);
  Load("a.txt");
  EXPECT_EQ(box->toPlainText(), QStringLiteral("one\ntwo\nthree\nfour") + QChar(0xDCFF) +
                                    QChar(0xDC81) + QStringLiteral("!\n"));
  TypeAtEnd(QStringLiteral("five"));
  box->moveCursor(QTextCursor::Start);
  Press("按钮_插入H2标签");
  QTest::keyClick(box, Qt::Key_Return);
  name->setText(QStringLiteral("B"));  // renames nothing
  Save();
  ExpectLast("保存成功！", ui::kOk);
  EXPECT_EQ(store.ReadFile("模版/a.txt"), "<h2></h2>\r\n" + original + "five" + afterNul);
  EXPECT_FALSE(store.Exists("模版/B.txt"));
  EXPECT_EQ(mainList->currentIndex(), 2) << "a save leaves the main list alone";
}

TEST_F(TemplateManagerTest, SavingBeforeALoadIsRefused) {
  store.WriteGbkFile("模版/A.txt", "a");
  Open();
  Type(QStringLiteral("typed"));
  name->setText(QStringLiteral("A"));
  Save();
  ExpectLast("请<双击>选中需要编辑的模版！");
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(box->toPlainText(), QStringLiteral("typed")) << "selecting is not loading";
  Load("A.txt");
  name->clear();
  Save();
  ExpectLast("请<双击>选中需要编辑的模版！");
  Press("按钮_清空");
  Save();
  ExpectLast("模版不能为空。");
  EXPECT_EQ(store.ReadFile("模版/A.txt"), "a");
}

TEST_F(TemplateManagerTest, DeletingTheSecondOfThreeLeavesTheThirdLoadable) {
  for (const char* file : {"模版/1.txt", "模版/2.txt", "模版/3.txt"})
    store.WriteGbkFile(file, file);
  Open();
  const QStringList before = Items("列表框_模版列表");
  Delete();
  ExpectLast("请选择您要删除的模版。");
  list->setCurrentRow(1);
  messages.Answer(ui::kAnswerCancel);
  Delete();
  ExpectLast("您确定要删除当前选中的模版吗？", ui::kOkCancel);
  EXPECT_EQ(list->count(), 3);

  mainList->setCurrentIndex(1);
  Delete();  // answered OK
  EXPECT_EQ(Items("列表框_模版列表"), (QStringList{before[0], before[2]}));
  EXPECT_FALSE(store.Exists("模版/" + before[1].toStdString()));
  EXPECT_EQ(MainEntries().size(), 3);
  EXPECT_EQ(mainList->currentIndex(), 0) << "the main list was rebuilt";
  EXPECT_EQ(list->currentRow(), -1) << "no neighbour is left selected for a second click";
  testing::DoubleClickItem(list, 1);
  EXPECT_EQ(box->toPlainText(), QStringLiteral("模版/") + before[2]) << "each file holds its path";
}

TEST_F(TemplateManagerTest, TheLoadedTemplateCanBeDeletedAndWrittenAgain) {
  store.WriteGbkFile("模版/A.txt", "a");
  Open();
  Load("A.txt");
  Delete();
  EXPECT_FALSE(store.Exists("模版/A.txt"));
  Save();
  EXPECT_EQ(store.ReadFile("模版/A.txt"), "a");
  EXPECT_EQ(list->count(), 0);
}

// Another running copy of the program changed the file after it was loaded here.
TEST_F(TemplateManagerTest, ASaveNeverOverwritesAChangeMadeElsewhere) {
  store.WriteGbkFile("模版/A.txt", "mine");
  Open();
  Load("A.txt");
  TypeAtEnd(QStringLiteral("!"));
  store.WriteGbkFile("模版/A.txt", "theirs");
  Save();
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("已在别处被修改")))
      << messages.Last().text.toStdString();
  EXPECT_EQ(store.ReadFile("模版/A.txt"), "theirs");

  messages.Answer(ui::kAnswerNo);  // the refused edits are given up
  Load("A.txt");                   // loaded afresh, the save goes through and a second save too
  TypeAtEnd(QStringLiteral("!"));
  Save();
  TypeAtEnd(QStringLiteral("?"));
  Save();
  ExpectLast("保存成功！", ui::kOk);
  EXPECT_EQ(store.ReadFile("模版/A.txt"), "theirs!?");
}

TEST_F(TemplateManagerTest, FailedSavesAndDeletionsAreReported) {
  store.WriteGbkFile("模版/A.txt", "a");
  store.WriteGbkFile("模版/B.txt", "b");
  Open();
  Load("A.txt");
  std::filesystem::remove(store.FsPath("模版/A.txt"));
  store.MakeFolder("模版/A.txt");  // in the way of the save and of the deletion
  Save();
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("A.txt")));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("已有同名的文件夹")));

  mainList->setCurrentIndex(1);
  list->setCurrentRow(RowOf("A.txt"));
  Delete();
  EXPECT_EQ(messages.Seen().size(), 3u);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("无法删除文件")));
  EXPECT_EQ(list->count(), 2) << "the item of a file still there stays";
  EXPECT_EQ(mainList->currentIndex(), 1);
}

TEST_F(TemplateManagerTest, LoadingAnotherTemplateOverEditsAsksFirst) {
  store.WriteGbkFile("模版/甲.txt", "甲文");
  store.WriteGbkFile("模版/乙.txt", "乙文");
  Open();
  Load("甲.txt");
  Load("乙.txt");  // nothing edited: no question
  EXPECT_TRUE(messages.Seen().empty());
  EXPECT_EQ(box->toPlainText(), QStringLiteral("乙文"));

  TypeAtEnd(QStringLiteral("!"));
  messages.Answer(ui::kAnswerCancel);
  Load("甲.txt");
  ExpectLast("模版“乙”已修改，是否保存修改？", ui::kYesNoCancel);
  EXPECT_EQ(box->toPlainText(), QStringLiteral("乙文!")) << "going back keeps the edits";
  EXPECT_EQ(name->text(), QStringLiteral("乙"));

  messages.Answer(ui::kAnswerNo);
  Load("甲.txt");
  EXPECT_EQ(box->toPlainText(), QStringLiteral("甲文"));
  EXPECT_EQ(store.ReadFile("模版/乙.txt"), testing::G("乙文"));

  TypeAtEnd(QStringLiteral("!"));
  messages.Answer(ui::kAnswerOk);
  Load("乙.txt");
  EXPECT_EQ(store.ReadFile("模版/甲.txt"), testing::G("甲文!"));
  EXPECT_EQ(box->toPlainText(), QStringLiteral("乙文"));
  EXPECT_EQ(name->text(), QStringLiteral("乙"));
}

TEST_F(TemplateManagerTest, ClosingOverEditsAsksAndAFailedSaveKeepsTheWindow) {
  store.WriteGbkFile("模版/甲.txt", "甲文");
  Open();
  Load("甲.txt");
  TypeAtEnd(QStringLiteral("!"));
  messages.Answer(ui::kAnswerCancel);
  window->close();
  ASSERT_TRUE(window && window->isVisible());

  // Changed on disk meanwhile: the save is refused, and so the window stays open.
  store.WriteGbkFile("模版/甲.txt", "别处的修改");
  messages.Answer(ui::kAnswerOk);
  window->close();
  EXPECT_NE(messages.Last().text.indexOf(QStringLiteral("在载入之后已在别处被修改")), -1);
  ASSERT_TRUE(window && window->isVisible());
  EXPECT_EQ(store.ReadFile("模版/甲.txt"), testing::G("别处的修改"));

  messages.Answer(ui::kAnswerNo);
  window->close();
  EXPECT_FALSE(window && window->isVisible());
  EXPECT_EQ(store.ReadFile("模版/甲.txt"), testing::G("别处的修改"));
}

TEST_F(TemplateManagerTest, TextTypedWithNothingLoadedAlsoCounts) {
  Open();
  Type(QStringLiteral("new"));
  messages.Answer(ui::kAnswerOk);
  window->close();
  ExpectLast("请<双击>选中需要编辑的模版！");
  ASSERT_TRUE(window && window->isVisible()) << "there is nowhere to save it yet";
  EXPECT_EQ(messages.Seen().front().text, QStringLiteral("模版框中的内容还没有保存，是否保存？"));
}

}  // namespace
}  // namespace wordloom
