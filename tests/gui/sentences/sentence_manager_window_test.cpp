#include "sentences/sentence_manager_window.h"

#include <filesystem>

#include <sys/stat.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>

#include "app/main_window.h"
#include "sentences/sentence_cell_editor.h"
#include "services/ui_grid.h"
#include "support/file_size_limit.h"
#include "support/gui_support.h"

namespace wordloom {
namespace {

using testing::G;

class SentenceManagerTest : public testing::WindowTest {
 protected:
  void Open() {
    window = new SentenceManagerWindow;
    ui::OpenWindowModal(window);
    combo = testing::Find<QComboBox>(window, "组合框_句子库");
    files = testing::Find<QListWidget>(window, "列表框_句子文件");
    grid = testing::Find<ui::Grid>(window, "高级表格_句子列表");
  }
  void TearDown() override {
    if (window) window->close();
    WindowTest::TearDown();
  }
  // Registers the library, writes the file's bytes, and opens it in the grid.
  void OpenFile(const Text& bytes, const char* library = "旅游", const char* file = "a.txt") {
    store.RegisterLibrary(LibraryKind::kSentence, library, "{T}");
    store.WriteFile(std::string("句子库/") + library + "/" + file, bytes);
    Open();
    testing::ChooseComboEntry(combo, combo->count() - 1);
    testing::DoubleClickItem(files, 0);
  }
  static QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }
  QStringList Column(int column) const {
    QStringList texts;
    for (int r = 1; r < grid->rowCount(); ++r) texts << grid->CellText(r, column);
    return texts;
  }
  int Alignment(int row, int column) const {
    return grid->model()->index(row, column).data(Qt::TextAlignmentRole).toInt();
  }
  // Starts editing a sentence cell the way a user does, with a double-click on it.
  SentenceCellEditor* StartEditing(int row) {
    grid->scrollTo(grid->model()->index(row, 1));
    const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    auto* editor =
        qobject_cast<SentenceCellEditor*>(grid->indexWidget(grid->model()->index(row, 1)));
    EXPECT_NE(editor, nullptr);
    return editor;
  }
  // Chinese is typed through an input method: it commits whole strings.
  static void Type(QWidget* editor, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(editor, &commit);
  }
  // Ends the edit; its change is written on a worker, and this waits for it.
  void Finish(QWidget* editor, Qt::Key key = Qt::Key_Return) const {
    QTest::keyClick(editor, key);
    QCoreApplication::processEvents();
    WaitUntilWritten();
  }
  void WaitUntilWritten() const {
    ASSERT_TRUE(testing::WaitFor(
        [&] { return testing::Find<QLabel>(window, "标签_状态")->text().isEmpty(); }, 60000));
  }
  void Edit(int row, const QString& text) {
    SentenceCellEditor* editor = StartEditing(row);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    Type(editor, text);
    Finish(editor);
  }
  std::string Saved(const char* file = "句子库/旅游/a.txt") const { return store.ReadFile(file); }

  QPointer<QDialog> window;
  QComboBox* combo = nullptr;
  QListWidget* files = nullptr;
  ui::Grid* grid = nullptr;
};

TEST_F(SentenceManagerTest, ShowsTheDesignAndTheLibrariesInRegistryOrder) {
  for (const char* name : {"旅游", "开头", "科技"}) {
    store.RegisterLibrary(LibraryKind::kSentence, name, "{T}");
  }
  Open();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("句子管理"));
  EXPECT_EQ(window->size(), QSize(1089, 541));
  EXPECT_EQ(combo->geometry(), QRect(4, 21, 160, 20));
  EXPECT_EQ(files->geometry(), QRect(4, 44, 160, 428));
  EXPECT_EQ(grid->geometry(), QRect(168, 21, 912, 452));
  EXPECT_EQ(testing::Find<QPushButton>(window, "保存句子1")->geometry(), QRect(4, 474, 84, 36));
  EXPECT_EQ(testing::Find<QPushButton>(window, "保存句子")->text(), QStringLiteral("保存句子"));
  EXPECT_EQ(Column(0), QStringList());
  EXPECT_EQ(grid->CellText(0, 0), QStringLiteral("序号"));
  EXPECT_EQ(grid->CellText(0, 1), QStringLiteral("句子"));
  EXPECT_EQ(grid->columnWidth(1), 870);
  EXPECT_EQ(Alignment(0, 1), int(Qt::AlignHCenter | Qt::AlignVCenter));
  QStringList entries;
  for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
  EXPECT_EQ(entries, (QStringList{QStringLiteral("请选择要编辑的句子库"), QStringLiteral("旅游"),
                                  QStringLiteral("开头"), QStringLiteral("科技")}));
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_EQ(ui::ItemNumber(combo, 3), 3);
}

TEST_F(SentenceManagerTest, ListsTheSortedTextFilesOfTheChosenLibraryOnly) {
  store.RegisterLibrary(LibraryKind::kSentence, "旅游", "{T}");
  store.RegisterLibrary(LibraryKind::kSentence, "空", "{E}");
  for (const char* f : {"b.txt", "a.txt", "notes.doc"})
    store.WriteFile(std::string("句子库/旅游/") + f, "x");
  // A hand-edited registry naming a folder outside the sentence libraries lists nothing.
  ASSERT_TRUE(ResourceStore::WriteTag(LibraryKind::kSentence, G("../模版"), "{X}"));
  store.WriteFile("模版/t.txt", "template");
  Open();
  testing::ChooseComboEntry(combo, 1);
  EXPECT_EQ(Texts(files), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
  EXPECT_EQ(ui::ItemNumber(files, 1), 2);
  testing::DoubleClickItem(files, 1);
  testing::ChooseComboEntry(combo, 0);
  EXPECT_EQ(Texts(files), QStringList());
  EXPECT_EQ(Column(1), QStringList{QStringLiteral("x")}) << "the prompt keeps the grid";
  testing::ChooseComboEntry(combo, 2);
  EXPECT_EQ(Texts(files), QStringList());
  testing::ChooseComboEntry(combo, 3);
  EXPECT_EQ(Texts(files), QStringList());
}

TEST_F(SentenceManagerTest, ShowsTheLinesOfTheDoubleClickedFileNumberedFromOne) {
  store.WriteFile("句子库/旅游/b.txt", G("第一句\r\n\r\n末句"));
  OpenFile(G("一\r\n二\r\n三\r\n"));
  EXPECT_EQ(Column(0),
            (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
  EXPECT_EQ(Column(1),
            (QStringList{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")}));
  EXPECT_EQ(Alignment(3, 1), int(Qt::AlignLeft | Qt::AlignVCenter));
  testing::DoubleClickItem(files, 1);
  EXPECT_EQ(Column(0),
            (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
  EXPECT_EQ(Column(1), (QStringList{QStringLiteral("第一句"), QString(), QStringLiteral("末句")}));
  // A double-click beside the items, with none selected, opens nothing.
  files->setCurrentRow(-1);
  QTest::mouseDClick(files->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(80, 400));
  EXPECT_EQ(grid->rowCount(), 4);
}

TEST_F(SentenceManagerTest, AnEditGoesIntoTheEditedLineOnly) {
  OpenFile(G("春天来了，花开了\r\n花开了\r\n\r\n花开了"));
  Edit(4, QStringLiteral("叶落了"));
  EXPECT_EQ(Saved(), G("春天来了，花开了\r\n花开了\r\n\r\n叶落了"));
  Edit(3, QStringLiteral("新句"));  // an empty line
  EXPECT_EQ(Saved(), G("春天来了，花开了\r\n花开了\r\n新句\r\n叶落了"));
  EXPECT_EQ(grid->CellText(3, 1), QStringLiteral("新句"));
  EXPECT_TRUE(messages.Seen().empty());
}

TEST_F(SentenceManagerTest, LeavingTheCellForAnotherSavesTheCellThatWasEdited) {
  OpenFile("a\r\nb\r\n");
  SentenceCellEditor* editor = StartEditing(1);
  editor->selectAll();
  Type(editor, QStringLiteral("甲"));
  const QPoint second = grid->visualRect(grid->model()->index(2, 1)).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, second);
  QCoreApplication::processEvents();
  WaitUntilWritten();
  EXPECT_EQ(Saved(), G("甲\r\nb\r\n"));
  // Tab moves the current cell on before the end of the edit is announced.
  editor = StartEditing(2);
  editor->selectAll();
  Type(editor, QStringLiteral("乙"));
  Finish(editor, Qt::Key_Tab);
  EXPECT_EQ(Saved(), G("甲\r\n乙\r\n"));
}

TEST_F(SentenceManagerTest, AnEditThatChangesNothingDoesNotTouchTheFile) {
  OpenFile("a\r\nb");
  struct stat before {};
  ASSERT_EQ(stat(store.FsPath("句子库/旅游/a.txt").c_str(), &before), 0);
  Finish(StartEditing(2));
  SentenceCellEditor* editor = StartEditing(1);
  Type(editor, QStringLiteral("zz"));
  Finish(editor, Qt::Key_Escape);
  struct stat after {};
  ASSERT_EQ(stat(store.FsPath("句子库/旅游/a.txt").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "an atomic rewrite would give a new inode";
  EXPECT_EQ(Saved(), "a\r\nb");
}

TEST_F(SentenceManagerTest, AFileChangedOnDiskIsNotOverwritten) {
  OpenFile("a\r\nb\r\n");
  store.WriteFile("句子库/旅游/a.txt", "new\r\na\r\nb\r\n");
  Edit(1, QStringLiteral("x"));
  EXPECT_EQ(Saved(), "new\r\na\r\nb\r\n");
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("已在别处被修改")));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("a.txt")));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_EQ(grid->CellText(1, 1), QStringLiteral("a"));
  // A file removed meanwhile is not created again.
  std::filesystem::remove(store.FsPath("句子库/旅游/a.txt"));
  Edit(2, QStringLiteral("y"));
  EXPECT_FALSE(store.Exists("句子库/旅游/a.txt"));
  EXPECT_EQ(messages.Seen().size(), 2u);
}

TEST_F(SentenceManagerTest, AFileHoldingANulByteKeepsItsTail) {
  OpenFile(Text("one\r\ntwo\0three\r\n", 16));
  EXPECT_EQ(Column(1), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
  Edit(2, QStringLiteral("2"));
  EXPECT_EQ(Saved(), Text("one\r\n2\0three\r\n", 14));
}

TEST_F(SentenceManagerTest, TextThatCannotBeSavedIsRefusedWithAWarning) {
  OpenFile("a\nb\r\nc\r\n");
  QGuiApplication::clipboard()->setText(QStringLiteral("x\ny"));
  SentenceCellEditor* editor = StartEditing(2);
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->text(), QStringLiteral("c")) << "a pasted line break is refused";
  Type(editor, QStringLiteral("\U0001F600"));
  Finish(editor);
  EXPECT_EQ(Saved(), "a\nb\r\nc\r\n");
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("\U0001F600")));
  EXPECT_EQ(messages.Last().title, QStringLiteral("警告"));
  EXPECT_EQ(grid->CellText(2, 1), QStringLiteral("c"));
  // A lone LF the sentence already held is no line break of the file and stays.
  editor = StartEditing(1);
  editor->end(false);
  Type(editor, QStringLiteral("!"));
  Finish(editor);
  EXPECT_EQ(Saved(), "a\nb!\r\nc\r\n");
}

TEST_F(SentenceManagerTest, EditsStayWithTheShownFileWhenAnotherLibraryIsChosen) {
  store.RegisterLibrary(LibraryKind::kSentence, "开头", "{K}");
  store.WriteFile("句子库/开头/b.txt", "other");
  OpenFile("a\r\n");
  testing::ChooseComboEntry(combo, 1);
  ASSERT_EQ(Texts(files), QStringList{QStringLiteral("b.txt")});
  Edit(1, QStringLiteral("甲"));
  EXPECT_EQ(Saved(), G("甲\r\n"));
  EXPECT_FALSE(store.Exists("句子库/开头/a.txt"));
  EXPECT_EQ(store.ReadFile("句子库/开头/b.txt"), "other");
}

// The grid keeps the file's bytes and where its lines lie, nothing per cell: a million lines
// open, and an edit far down still lands in its own line and nowhere else.
TEST_F(SentenceManagerTest, AMillionLineFileOpensAndAnEditLandsInItsLine) {
  constexpr int kLines = 1000000;
  std::string file;
  file.reserve(16 * kLines);
  for (int i = 1; i <= kLines; ++i) file.append("line ").append(std::to_string(i)).append("\r\n");
  OpenFile(file);
  ASSERT_EQ(grid->rowCount(), kLines + 1);
  EXPECT_EQ(grid->CellText(kLines, 0), QStringLiteral("1000000"));
  EXPECT_EQ(grid->CellText(kLines, 1), QStringLiteral("line 1000000"));
  Edit(999999, QStringLiteral("第 999999 行"));
  std::string expected = file;
  const std::string old = "\r\nline 999999\r\n";
  expected.replace(expected.find(old), old.size(), "\r\n" + G("第 999999 行") + "\r\n");
  EXPECT_TRUE(Saved() == expected);
  EXPECT_EQ(grid->CellText(999999, 1), QStringLiteral("第 999999 行"));
  EXPECT_TRUE(messages.Seen().empty());
}

using testing::FileSizeLimit;

TEST_F(SentenceManagerTest, AFailedWriteIsReportedAndTheCellShowsTheFile) {
  OpenFile("a\r\nb\r\n");
  {
    FileSizeLimit limit(4);
    Edit(2, QStringLiteral("longer"));
  }
  EXPECT_EQ(Saved(), "a\r\nb\r\n");
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("无法写入")));
  EXPECT_EQ(grid->CellText(2, 1), QStringLiteral("b"));
}

// A pipe in the file's place is never waited on: the edit is refused with the reason.
TEST_F(SentenceManagerTest, AFileThatBecameAPipeIsReportedWithoutWaiting) {
  OpenFile("a\r\nb\r\n");
  std::filesystem::remove(store.FsPath("句子库/旅游/a.txt"));
  store.MakeFifo("句子库/旅游/a.txt");
  Edit(1, QStringLiteral("x"));
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("不是普通文件")));
  EXPECT_EQ(grid->CellText(1, 1), QStringLiteral("a"));
  testing::DoubleClickItem(files, 0);  // opening it again warns too, and shows no lines
  EXPECT_EQ(messages.Seen().size(), 2u);
  EXPECT_EQ(grid->rowCount(), 1);
}

TEST_F(SentenceManagerTest, TheMainWindowButtonOpensItModally) {
  store.RegisterLibrary(LibraryKind::kSentence, "旅游", "{T}");
  MainWindow main;
  main.show();
  testing::Click(testing::Find<QPushButton>(&main, "按钮_句子管理"));
  QWidget* opened = testing::OpenWindow("wordloom::SentenceManagerWindow");
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->parentWidget(), &main);
  EXPECT_EQ(opened->windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(testing::Find<QComboBox>(opened, "组合框_句子库")->count(), 2);
  opened->close();
}

}  // namespace
}  // namespace wordloom
