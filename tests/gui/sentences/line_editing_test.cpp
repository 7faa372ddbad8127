// Filling a library from the sentence manager and its keyword twin: new files, added and
// deleted lines, each landing in the file exactly, line for line with the grid.
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/main_window.h"
#include "app/window_openers.h"
#include "gui/libraries/library_test_kinds.h"
#include "sentences/sentence_manager_window.h"
#include "services/ui_grid.h"
#include "store/resource_store.h"
#include "support/gui_support.h"

namespace wordloom {
namespace {

using testing::G;
using namespace std::string_literals;

class LineEditingTest : public testing::WindowTest,
                        public ::testing::WithParamInterface<testing::KindCase> {
 protected:
  void TearDown() override {
    if (QWidget* entry = testing::OpenWindow("wordloom::TextEntryWindow")) entry->close();
    if (window) window->close();
    WindowTest::TearDown();
  }
  const testing::KindCase& K() const { return GetParam(); }

  void Open() {
    (K().kind == LibraryKind::kSentence ? OpenSentenceManagerWindow
                                        : OpenKeywordManagerWindow)(nullptr);
    window = testing::OpenWindow("wordloom::LineManagerWindow");
    ASSERT_NE(window, nullptr);
    combo = testing::Find<QComboBox>(window, K().Say("组合框_%1库").toUtf8().constData());
    files = testing::Find<QListWidget>(window, K().Say("列表框_%1文件").toUtf8().constData());
    grid = testing::Find<ui::Grid>(window, K().Say("高级表格_%1列表").toUtf8().constData());
  }
  // Registers 旅游 with the file a.txt holding `bytes`, and opens that file.
  void OpenFile(const Text& bytes) {
    store.RegisterLibrary(K().kind, "旅游", "{T}");
    store.WriteFile(K().Lib("旅游/a.txt"), bytes);
    Open();
    testing::ChooseComboEntry(combo, combo->count() - 1);
    testing::DoubleClickItem(files, 0);
  }
  std::string Saved(const char* file = "a.txt") const {
    return store.ReadFile(K().Lib(std::string("旅游/") + file));
  }
  void Overwrite(const Text& bytes) const { store.WriteFile(K().Lib("旅游/a.txt"), bytes); }

  QPushButton* Button(const char* pattern) const {
    return testing::Find<QPushButton>(window, K().Say(pattern).toUtf8().constData());
  }
  // Types (or pastes) the block into the window the add button opens and confirms it.
  void Add(const QString& block) {
    testing::Click(Button("按钮_添加%1"));
    QWidget* entry = testing::OpenWindow("wordloom::TextEntryWindow");
    ASSERT_NE(entry, nullptr);
    testing::Find<QPlainTextEdit>(entry, "编辑框_输入")->setPlainText(block);
    testing::Click(testing::Find<QPushButton>(entry, "按钮_确定"));
    WaitUntilWritten();
  }
  // Changes are written on a worker; the status is empty again once one is done.
  void WaitUntilWritten() const {
    ASSERT_TRUE(testing::WaitFor([&] { return Status().isEmpty(); }, 60000));
  }
  QString Status() const { return testing::Find<QLabel>(window, "标签_状态")->text(); }
  void NewFile(const QString& name) {
    testing::Click(testing::Find<QPushButton>(window, "按钮_新建文件"));
    QWidget* entry = testing::OpenWindow("wordloom::TextEntryWindow");
    ASSERT_NE(entry, nullptr);
    testing::Find<QLineEdit>(entry, "编辑框_输入")->setText(name);
    testing::Click(testing::Find<QPushButton>(entry, "按钮_确定"));
  }
  void Select(std::initializer_list<int> rows) {
    grid->selectionModel()->clearSelection();
    for (int row : rows) {
      grid->selectionModel()->select(grid->model()->index(row, 1), QItemSelectionModel::Select);
    }
  }
  // Selects the rows, deletes them and gives the answer to the question asked first.
  void Delete(std::initializer_list<int> rows, int answer = ui::kAnswerOk) {
    Select(rows);
    messages.Answer(answer);
    testing::Click(Button("按钮_删除%1"));
    WaitUntilWritten();
  }
  QStringList Column(int column) const {
    QStringList texts;
    for (int r = 1; r < grid->rowCount(); ++r) texts << grid->CellText(r, column);
    return texts;
  }
  // The grid and the file line for line (the file's lines by the store's own rule).
  void ExpectGridShowsTheFile() const {
    QStringList lines, numbers;
    for (const Text& line : ResourceStore::SplitLines(ToText(Saved()))) lines << ui::Display(line);
    for (int i = 1; i <= lines.size(); ++i) numbers << QString::number(i);
    EXPECT_EQ(Column(1), lines);
    EXPECT_EQ(Column(0), numbers);
  }
  bool EntryOpen() const { return testing::OpenWindow("wordloom::TextEntryWindow") != nullptr; }

  QPointer<QWidget> window;
  QComboBox* combo = nullptr;
  QListWidget* files = nullptr;
  ui::Grid* grid = nullptr;
};

TEST_P(LineEditingTest, AddedLinesLandAfterTheSelectionOrAtTheEnd) {
  OpenFile(G("一\r\n二\r\n"));
  Add(QStringLiteral("三"));
  EXPECT_FALSE(EntryOpen());
  EXPECT_EQ(Saved(), G("一\r\n二\r\n三\r\n"));
  ExpectGridShowsTheFile();
  // A pasted block: every kind of line break parts lines, empty lines are dropped.
  Select({1});
  Add(QStringLiteral("甲\n\n乙\r\n丙\r"));
  EXPECT_EQ(Saved(), G("一\r\n甲\r\n乙\r\n丙\r\n二\r\n三\r\n"));
  ExpectGridShowsTheFile();
  const QModelIndexList selected = grid->selectionModel()->selectedIndexes();
  ASSERT_EQ(selected.size(), 3) << "the new lines are selected";
  EXPECT_EQ(selected.front().row(), 2);
  EXPECT_TRUE(messages.Seen().empty());
}

TEST_P(LineEditingTest, AFileKeepsItsLineEndsAndWhatFollowsANul) {
  OpenFile(G("a\r\nb"));
  Add(QStringLiteral("c"));
  EXPECT_EQ(Saved(), "a\r\nb\r\nc") << "no final line break appears";
  Delete({3});
  EXPECT_EQ(Saved(), "a\r\nb");
  Delete({1});
  EXPECT_EQ(Saved(), "b");
  ExpectGridShowsTheFile();

  Overwrite("x\ny\r\nz\0tail\r\n"s);
  testing::DoubleClickItem(files, 0);
  Add(QStringLiteral("new"));
  EXPECT_EQ(Saved(), "x\ny\r\nz\r\nnew\0tail\r\n"s);
  Delete({1});
  EXPECT_EQ(Saved(), "z\r\nnew\0tail\r\n"s);
  ExpectGridShowsTheFile();
}

TEST_P(LineEditingTest, SelectedLinesAreDeletedAfterTheQuestion) {
  OpenFile("1\r\n2\r\n3\r\n4\r\n5\r\n");
  Delete({2, 4}, ui::kAnswerCancel);
  EXPECT_EQ(Saved(), "1\r\n2\r\n3\r\n4\r\n5\r\n");
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().flags, ui::kOkCancel);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("2 个")));
  Delete({2, 4});
  EXPECT_EQ(Saved(), "1\r\n3\r\n5\r\n");
  ExpectGridShowsTheFile();
  EXPECT_EQ(grid->currentRow(), 2) << "the line after the first deleted one";
  Delete({1, 2, 3});
  EXPECT_EQ(Saved(), "");
  EXPECT_EQ(grid->rowCount(), 1);
  // Nothing selected: a warning, no question.
  messages.Clear();
  testing::Click(Button("按钮_删除%1"));
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
}

TEST_P(LineEditingTest, AFileChangedOnDiskSinceItWasShownIsNotWritten) {
  OpenFile("a\r\nb\r\nc\r\n");
  // A change far from the lines each edit means is still a change.
  const Text elsewhere = "a\r\nb\r\nc\r\nd\r\n";
  Overwrite(elsewhere);
  Add(QStringLiteral("x"));
  EXPECT_TRUE(EntryOpen()) << "the typed lines stay for the user";
  testing::Click(
      testing::Find<QPushButton>(testing::OpenWindow("wordloom::TextEntryWindow"), "按钮_取消"));
  Delete({1});
  EXPECT_EQ(Saved(), elsewhere);
  ASSERT_EQ(messages.Seen().size(), 3u);  // the add, the question, the delete
  for (const ui::Message& m : {messages.Seen()[0], messages.Seen()[2]}) {
    EXPECT_EQ(m.flags, ui::kWarning);
    EXPECT_TRUE(m.text.contains(QStringLiteral("已在别处被修改"))) << m.text.toStdString();
  }
  EXPECT_EQ(Column(1),
            (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
  // The same bytes written again are no change.
  Overwrite("a\r\nb\r\nc\r\n");
  Delete({2});
  EXPECT_EQ(Saved(), "a\r\nc\r\n");
}

TEST_P(LineEditingTest, ACharacterGbkCannotHoldIsNamedAndNothingIsAdded) {
  OpenFile("a\r\n");
  Add(QStringLiteral("好\n\U0001F600"));
  EXPECT_EQ(Saved(), "a\r\n");
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("\U0001F600")));
  EXPECT_TRUE(EntryOpen());
  QWidget* entry = testing::OpenWindow("wordloom::TextEntryWindow");
  testing::Find<QPlainTextEdit>(entry, "编辑框_输入")->setPlainText(QStringLiteral("\n \n"));
  testing::Click(testing::Find<QPushButton>(entry, "按钮_确定"));
  WaitUntilWritten();
  EXPECT_EQ(Saved(), "a\r\n \r\n") << "a line of a space is no empty line";
  EXPECT_FALSE(EntryOpen());
}

TEST_P(LineEditingTest, ANewFileIsCreatedNeverOverwrittenAndOpened) {
  store.RegisterLibrary(K().kind, "旅游", "{T}");
  store.WriteFile(K().Lib("旅游/b.txt"), "keep\r\n");
  Open();
  testing::Click(testing::Find<QPushButton>(window, "按钮_新建文件"));
  EXPECT_FALSE(EntryOpen()) << "no library chosen";
  ASSERT_EQ(messages.Seen().size(), 1u);

  testing::ChooseComboEntry(combo, 1);
  NewFile(QStringLiteral("b"));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("已经存在")));
  EXPECT_EQ(Saved("b.txt"), "keep\r\n");
  QWidget* entry = testing::OpenWindow("wordloom::TextEntryWindow");
  ASSERT_NE(entry, nullptr);
  for (const QString& bad : {QStringLiteral("x/y"), QStringLiteral("..\\z"), QString()}) {
    testing::Find<QLineEdit>(entry, "编辑框_输入")->setText(bad);
    testing::Click(testing::Find<QPushButton>(entry, "按钮_确定"));
    EXPECT_TRUE(EntryOpen()) << bad.toStdString();
  }
  testing::Find<QLineEdit>(entry, "编辑框_输入")->setText(QStringLiteral("新文件"));
  testing::Click(testing::Find<QPushButton>(entry, "按钮_确定"));
  EXPECT_FALSE(EntryOpen());
  ASSERT_TRUE(store.Exists(K().Lib("旅游/新文件.txt")));
  EXPECT_EQ(Saved("新文件.txt"), "");
  EXPECT_EQ(files->currentItem()->text(), QStringLiteral("新文件.txt"));
  EXPECT_EQ(grid->rowCount(), 1);
  Add(QStringLiteral("第一行"));
  EXPECT_EQ(Saved("新文件.txt"), G("第一行\r\n"));
  // A name that already ends in .txt gets no second one.
  NewFile(QStringLiteral("c.txt"));
  EXPECT_TRUE(store.Exists(K().Lib("旅游/c.txt")));
}

// Changes are written on a worker. The test holds the store lock, so the worker waits for it
// in the middle of the change: the window still handles events, nothing that could start
// another change or show another file is enabled, and the status says what is going on.
// Closing the window then loses nothing.
TEST_P(LineEditingTest, AChangeRunsOnAWorkerAndOutlivesTheWindow) {
  OpenFile("a\r\nb\r\n");
  std::vector<QWidget*> blocked{combo, files, Button("按钮_添加%1"), Button("按钮_删除%1")};
  for (const char* name : {"按钮_新建文件", "按钮_导入文本", "按钮_导出"}) {
    blocked.push_back(testing::Find<QPushButton>(window, name));
  }
  ResourceStore::UnderStoreLock([&] {
    Select({1});
    messages.Answer(ui::kAnswerOk);
    testing::Click(Button("按钮_删除%1"));
    QTest::qWait(50);
    EXPECT_TRUE(Status().contains(QStringLiteral("a.txt"))) << Status().toStdString();
    for (QWidget* control : blocked)
      EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(Saved(), "a\r\nb\r\n");
    return FileStatus::Done();
  });
  WaitUntilWritten();
  EXPECT_EQ(Saved(), "b\r\n");
  ExpectGridShowsTheFile();
  for (QWidget* control : blocked)
    EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
  EXPECT_NE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

  // No worker: a warning, the file untouched, the typed lines kept.
  ui::SetThreadStartFailureForTesting(true);
  Add(QStringLiteral("x"));
  ui::SetThreadStartFailureForTesting(false);
  EXPECT_EQ(Saved(), "b\r\n");
  EXPECT_TRUE(EntryOpen());
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("无法启动")));
  EXPECT_TRUE(Button("按钮_添加%1")->isEnabled());

  // The lines typed, confirmed, and the window closed before they are written.
  ResourceStore::UnderStoreLock([&] {
    QWidget* entry = testing::OpenWindow("wordloom::TextEntryWindow");
    testing::Find<QPlainTextEdit>(entry, "编辑框_输入")->setPlainText(QStringLiteral("c"));
    testing::Click(testing::Find<QPushButton>(entry, "按钮_确定"));
    EXPECT_FALSE(entry->isEnabled()) << "the entry waits for the write";
    window->close();
    QTest::qWait(50);
    EXPECT_GT(ui::RunningThreads(), 0) << "what the program waits for at exit";
    return FileStatus::Done();
  });
  ASSERT_TRUE(testing::WaitFor([&] { return Saved() == "b\r\nc\r\n" && !EntryOpen(); }));
  EXPECT_TRUE(testing::WaitFor([] { return ui::RunningThreads() == 0; }));
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(messages.Seen().size(), 2u) << "the question and the failed start only";
}

TEST_P(LineEditingTest, AddingNeedsAnOpenFile) {
  store.RegisterLibrary(K().kind, "旅游", "{T}");
  Open();
  testing::Click(Button("按钮_添加%1"));
  EXPECT_FALSE(EntryOpen());
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, LineEditingTest,
                         ::testing::Values(testing::kSentenceCase, testing::kKeywordCase),
                         testing::KindName);

class KeywordManagerTest : public testing::WindowTest {};

TEST_F(KeywordManagerTest, TheMainWindowOpensItInOneClickAndItEditsKeywordFiles) {
  store.RegisterLibrary(LibraryKind::kKeyword, "城市", "{C}");
  store.RegisterLibrary(LibraryKind::kSentence, "旅游", "{T}");
  store.WriteFile("关键词库/城市/a.txt", G("北京\r\n上海\r\n"));
  MainWindow main;
  main.show();
  testing::Click(testing::Find<QPushButton>(&main, "按钮_关键词管理"));
  QWidget* opened = testing::OpenWindow("wordloom::KeywordManagerWindow");
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->parentWidget(), &main);
  EXPECT_EQ(opened->windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(opened->windowTitle(), QStringLiteral("关键词管理"));
  auto* combo = testing::Find<QComboBox>(opened, "组合框_关键词库");
  ASSERT_EQ(combo->count(), 2) << "keyword libraries only";
  testing::ChooseComboEntry(combo, 1);
  testing::DoubleClickItem(testing::Find<QListWidget>(opened, "列表框_关键词文件"), 0);
  auto* grid = testing::Find<ui::Grid>(opened, "高级表格_关键词列表");
  EXPECT_EQ(grid->CellText(0, 1), QStringLiteral("关键词"));
  EXPECT_EQ(grid->CellText(2, 1), QStringLiteral("上海"));
  opened->close();
}

}  // namespace
}  // namespace wordloom
