#include "templates/template_manager_window.h"

#include <QListWidget>

#include <filesystem>

#include "gui/templates/template_window_fixture.h"

namespace wordloom {
namespace {

using testing::G;

class TemplateManagerTest : public testing::TemplateWindowTest {
 protected:
  void Open() {
    OpenFromMain("按钮_管理文章模版", "wordloom::TemplateManagerWindow");
    manager = qobject_cast<TemplateManagerWindow*>(window.data());
    list = testing::Find<QListWidget>(window, "列表框_模版列表");
  }
  QStringList Items() const {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
  }
  int RowOf(const char* item) const {
    return static_cast<int>(Items().indexOf(QString::fromUtf8(item)));
  }
  void Load(const char* item) { testing::DoubleClickItem(list, RowOf(item)); }
  void Save() { Press("按钮_保存"); }
  void Delete() { Press("按钮_插入P标签1"); }
  // Appends typed text at the end of the box.
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
  EXPECT_EQ(window->size(), QSize(861, 505));
  EXPECT_EQ(box->geometry(), QRect(181, 6, 504, 418));
  ASSERT_EQ(manager->TemplatePaths().size(), 4u);
  for (int row = 0; row < list->count(); ++row) {
    const int number = ui::ItemNumber(list, row);
    EXPECT_EQ(manager->TemplatePaths()[number - 1],
              store.Path("模版/") + ui::NameFromDisplay(Items()[row]));
  }
  EXPECT_TRUE(manager->CurrentTemplatePath().empty());
  const QStringList items = Items();
  EXPECT_EQ(QSet<QString>(items.begin(), items.end()),
            (QSet<QString>{QStringLiteral("新闻.txt"), QStringLiteral("旅游.txt"),
                           QStringLiteral("a.txt.txt"), QStringLiteral("B.TXT")}));

  Load("旅游.txt");
  EXPECT_EQ(box->toPlainText(), QStringLiteral("<p>旅游</p>"));
  EXPECT_EQ(name->text(), QStringLiteral("旅游"));
  EXPECT_EQ(manager->CurrentTemplatePath(), store.Path("模版/旅游.txt"));
  Load("a.txt.txt");
  EXPECT_EQ(name->text(), QStringLiteral("a"));
  Load("B.TXT");
  EXPECT_EQ(name->text(), QStringLiteral("B.TXT"));
  EXPECT_EQ(box->toPlainText(), QStringLiteral("B"));
}

TEST_F(TemplateManagerTest, WithoutATemplateFolderTheTagListsAreStillFilled) {
  store.RegisterLibrary(LibraryKind::kSentence, "甲", "{甲}");
  Open();
  EXPECT_EQ(list->count(), 0);
  EXPECT_EQ(testing::Find<QListWidget>(window, "列表框_句子库标签列表")->count(), 1);
}

TEST_F(TemplateManagerTest, SavingBackKeepsWhatTheUserDidNotEdit) {
  // Hand-edited: LF-only and lone CR breaks, bytes that are not GBK, and a NUL with bytes
  // after it (the box shows only what comes before, as the generator reads it).
  const std::string original = "one\ntwo\r\nthree\rfour\xFF\x81!\r\n";
  store.WriteFile("模版/a.txt", original + std::string("\0after", 6));
  store.WriteGbkFile("模版/z.txt", "Z");
  Open();
  mainList->setCurrentIndex(2);
  Load("a.txt");
  EXPECT_EQ(box->toPlainText().left(19), QStringLiteral("one\ntwo\nthree\nfour") + QChar(0xDCFF));
  TypeAtEnd(QStringLiteral("five"));
  QTextCursor start = box->textCursor();
  start.movePosition(QTextCursor::Start);
  box->setTextCursor(start);
  Press("按钮_插入H2标签");
  QTest::keyClick(box, Qt::Key_Return);
  Save();
  EXPECT_EQ(messages.Last().text, QStringLiteral("保存成功！"));
  EXPECT_EQ(store.ReadFile("模版/a.txt"),
            "<h2></h2>\r\n" + original + "five" + std::string("\0after", 6));
  EXPECT_EQ(mainList->currentIndex(), 2) << "a save leaves the main list alone";
}

TEST_F(TemplateManagerTest, TheNameBoxRenamesNothing) {
  store.WriteGbkFile("模版/A.txt", "a");
  Open();
  Load("A.txt");
  name->setText(QStringLiteral("B"));
  TypeAtEnd(QStringLiteral("2"));
  Save();
  EXPECT_EQ(store.ReadFile("模版/A.txt"), "a2");
  EXPECT_FALSE(store.Exists("模版/B.txt"));
}

TEST_F(TemplateManagerTest, SavingBeforeALoadIsRefused) {
  store.WriteGbkFile("模版/A.txt", "a");
  Open();
  Type(QStringLiteral("typed"));
  name->setText(QStringLiteral("A"));
  Save();
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().text, QStringLiteral("请<双击>选中需要编辑的模版！"));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(box->toPlainText(), QStringLiteral("typed")) << "selecting is not loading";
  EXPECT_EQ(store.ReadFile("模版/A.txt"), "a");

  Load("A.txt");
  name->clear();
  Save();
  EXPECT_EQ(messages.Last().text, QStringLiteral("请<双击>选中需要编辑的模版！"));
  Press("按钮_清空");
  Save();
  EXPECT_EQ(messages.Last().text, QStringLiteral("模版不能为空。"));
  EXPECT_EQ(store.ReadFile("模版/A.txt"), "a");
}

TEST_F(TemplateManagerTest, DeletingTheSecondOfThreeLeavesTheThirdLoadable) {
  store.WriteGbkFile("模版/1.txt", "first");
  store.WriteGbkFile("模版/2.txt", "second");
  store.WriteGbkFile("模版/3.txt", "third");
  Open();
  const QStringList before = Items();
  const QString second = before[1], third = before[2];

  Delete();  // nothing selected
  EXPECT_EQ(messages.Last().text, QStringLiteral("请选择您要删除的模版。"));
  list->setCurrentRow(1);
  messages.Answer(ui::kAnswerCancel);
  Delete();
  EXPECT_EQ(messages.Last().text, QStringLiteral("您确定要删除当前选中的模版吗？"));
  EXPECT_EQ(messages.Last().flags, ui::kOkCancel);
  EXPECT_EQ(list->count(), 3);

  mainList->setCurrentIndex(1);
  Delete();  // answered OK
  EXPECT_EQ(Items(), (QStringList{before[0], third}));
  EXPECT_FALSE(store.Exists("模版/" + second.toStdString()));
  EXPECT_EQ(MainEntries().size(), 3) << "the main list was rebuilt";
  EXPECT_EQ(mainList->currentIndex(), 0);
  EXPECT_EQ(list->currentRow(), -1) << "no neighbour is left selected for a second click";

  testing::DoubleClickItem(list, 1);
  EXPECT_EQ(manager->CurrentTemplatePath(), store.Path("模版/" + third.toStdString()));
  EXPECT_EQ(ui::ContentFromDisplay(box->toPlainText()),
            store.ReadFile("模版/" + third.toStdString()));
}

TEST_F(TemplateManagerTest, TheLoadedTemplateCanBeDeletedAndWrittenAgain) {
  store.WriteGbkFile("模版/A.txt", "a");
  Open();
  Load("A.txt");
  Delete();
  EXPECT_FALSE(store.Exists("模版/A.txt"));
  EXPECT_EQ(name->text(), QStringLiteral("A"));
  Save();
  EXPECT_EQ(store.ReadFile("模版/A.txt"), "a");
  EXPECT_EQ(list->count(), 0);
}

TEST_F(TemplateManagerTest, FailedSavesAndDeletionsAreReported) {
  store.WriteGbkFile("模版/A.txt", "a");
  store.WriteGbkFile("模版/B.txt", "b");
  Open();
  Load("A.txt");
  std::filesystem::remove(store.FsPath("模版/A.txt"));
  store.MakeFolder("模版/A.txt");  // something in the way of the save and the deletion
  Save();
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("A.txt")));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("已有同名的文件夹")));

  mainList->setCurrentIndex(1);
  list->setCurrentRow(RowOf("A.txt"));
  messages.Clear();
  Delete();
  ASSERT_EQ(messages.Seen().size(), 2u);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("无法删除文件")));
  EXPECT_EQ(list->count(), 2) << "the item of a file still there stays";
  EXPECT_EQ(mainList->currentIndex(), 1);
}

}  // namespace
}  // namespace wordloom
