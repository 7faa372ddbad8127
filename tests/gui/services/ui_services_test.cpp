#include "services/ui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QThread>
#include <QTimer>

#include <thread>

#include "services/ui_grid.h"
#include "support/gui_support.h"

namespace wordloom {
namespace {

TEST(ItemNumbers, TravelWithTheirItemsAndMissingOnesAreMinusOne) {
  QListWidget list;
  EXPECT_EQ(ui::InsertItem(&list, 0, QStringLiteral("a"), 7), 0);
  EXPECT_EQ(ui::InsertItem(&list, 9, QStringLiteral("b"), 8), 1);  // beyond the end: appended
  EXPECT_EQ(ui::InsertItem(&list, 0, QStringLiteral("c")), 0);
  EXPECT_EQ(ui::InsertItem(&list, -1, QStringLiteral("d"), 1), -1);
  EXPECT_EQ(ui::ItemNumber(&list, 0), 0);
  EXPECT_EQ(ui::ItemNumber(&list, 1), 7);
  EXPECT_EQ(ui::ItemNumber(&list, -1), -1);
  EXPECT_EQ(ui::ItemNumber(&list, list.count()), -1);
  EXPECT_TRUE(ui::DeleteItem(&list, 1));
  EXPECT_FALSE(ui::DeleteItem(&list, 5));
  EXPECT_EQ(ui::ItemNumber(&list, 1), 8);  // the number stays with its item

  QComboBox combo;
  ui::InsertItem(&combo, 0, QStringLiteral("p"), 0);
  ui::InsertItem(&combo, 1, QStringLiteral("x"), 4);
  EXPECT_EQ(ui::ItemNumber(&combo, 1), 4);
  EXPECT_EQ(ui::ItemNumber(&combo, 2), -1);
}

TEST(Messages, AWorkerGetsTheAnswerGivenOnTheInterfaceThread) {
  testing::ScriptedMessages messages;
  messages.Answer(ui::kAnswerCancel);
  bool answeredOnUiThread = false;
  ui::SetMessageResponder([&](const ui::Message& m) {
    answeredOnUiThread = QThread::currentThread() == qApp->thread() && m.flags == ui::kOkCancel;
    return ui::kAnswerCancel;
  });
  std::atomic<int> answer{-1};
  std::thread worker(
      [&] { answer = ui::ShowMessage(QStringLiteral("q"), ui::kOkCancel, QStringLiteral("t")); });
  EXPECT_TRUE(testing::WaitFor([&] { return answer.load() != -1; }));
  worker.join();
  EXPECT_EQ(answer.load(), ui::kAnswerCancel);
  EXPECT_TRUE(answeredOnUiThread);
}

// Presses a button of the real box once it shows.
void AnswerRealBox(const QString& buttonText, QMessageBox::Icon* iconSeen) {
  QTimer::singleShot(50, qApp, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    *iconSeen = box->icon();
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == buttonText) b->click();
    }
    if (buttonText.isEmpty()) box->reject();  // closed without a button
  });
}

TEST(Messages, RealBoxesGiveTheButtonCodes) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  AnswerRealBox(QStringLiteral("取消"), &icon);
  EXPECT_EQ(ui::ShowMessage(QStringLiteral("问"), ui::kOkCancel, QStringLiteral("警告")),
            ui::kAnswerCancel);
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  AnswerRealBox(QString(), &icon);
  EXPECT_EQ(ui::ShowMessage(QStringLiteral("问"), ui::kOkCancel, QStringLiteral("警告")),
            ui::kAnswerCancel);
  AnswerRealBox(QStringLiteral("确定"), &icon);
  EXPECT_EQ(ui::ShowMessage(QStringLiteral("问"), ui::kOkCancel, QStringLiteral("警告")),
            ui::kAnswerOk);
  AnswerRealBox(QString(), &icon);
  EXPECT_EQ(ui::ShowMessage(QStringLiteral("警"), ui::kWarning, QStringLiteral("警告")),
            ui::kAnswerOk);
  EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(Messages, TheUnsavedChangesQuestionHasThreeAnswersAndClosingGoesBack) {
  using ui::UnsavedChoice;
  QMessageBox::Icon icon = QMessageBox::Warning;
  const QString question = QStringLiteral("保存吗？");
  AnswerRealBox(QStringLiteral("保存"), &icon);
  EXPECT_EQ(ui::AskAboutUnsavedChanges(question), UnsavedChoice::kSave);
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  AnswerRealBox(QStringLiteral("不保存"), &icon);
  EXPECT_EQ(ui::AskAboutUnsavedChanges(question), UnsavedChoice::kDiscard);
  AnswerRealBox(QStringLiteral("取消"), &icon);
  EXPECT_EQ(ui::AskAboutUnsavedChanges(question), UnsavedChoice::kGoBack);
  AnswerRealBox(QString(), &icon);
  EXPECT_EQ(ui::AskAboutUnsavedChanges(question), UnsavedChoice::kGoBack);

  // Scripted answers use the same codes.
  testing::ScriptedMessages messages;
  messages.Answer(ui::kAnswerNo);
  EXPECT_EQ(ui::AskAboutUnsavedChanges(question), UnsavedChoice::kDiscard);
  EXPECT_EQ(messages.Last().flags, ui::kYesNoCancel);
  EXPECT_EQ(messages.Last().title, QStringLiteral("警告"));
}

TEST(ControlTexts, AnyBytesSurviveATripThroughEditBoxes) {
  const Text bytes = "ok \xD6\xD0 \x81\r\n\xFF\x80 \xD5\x5D end";
  QPlainTextEdit box;
  box.setPlainText(ui::Display(bytes));
  EXPECT_EQ(ui::ContentFromDisplay(box.toPlainText()),
            Text("ok \xD6\xD0 \x81\n\xFF\x80 \xD5\x5D end"))
      << "only the line break is the box's own";
  QLineEdit line;
  const Text noBreak =
      "a\xFF\x81"
      "b\xD5\x5D";
  line.setText(ui::Display(noBreak));
  EXPECT_EQ(ui::ContentFromDisplay(line.text()), noBreak);
}

TEST(ControlTexts, CharactersBeyondGbkAreReportedNotReplaced) {
  const QString typed = QStringLiteral("中文\U0001F600x");
  EXPECT_FALSE(ui::ContentFromDisplay(typed).has_value());
  EXPECT_EQ(ui::FirstUnsupportedCharacter(typed), QStringLiteral("\U0001F600"));
  // Names may hold them.
  EXPECT_EQ(ui::DisplayName(ui::NameFromDisplay(typed)), typed);
}

class GridTest : public ::testing::Test {
 protected:
  ui::Grid grid{2};
};

TEST_F(GridTest, RowsGoWhereAskedAndOnlyDataRowsAreRemoved) {
  EXPECT_EQ(grid.rowCount(), 1);
  grid.InsertDataRow(QStringLiteral("1"));
  grid.InsertDataRow(QStringLiteral("3"));
  grid.InsertDataRow(QStringLiteral("2"), 2);
  grid.InsertDataRow(QStringLiteral("x"), 0);  // inside the fixed rows: appended
  EXPECT_EQ(grid.CellText(1, 0), QStringLiteral("1"));
  EXPECT_EQ(grid.CellText(2, 0), QStringLiteral("2"));
  EXPECT_EQ(grid.CellText(3, 0), QStringLiteral("3"));
  EXPECT_EQ(grid.CellText(4, 0), QStringLiteral("x"));
  EXPECT_FALSE(grid.item(1, 0)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(grid.item(1, 1)->flags() & Qt::ItemIsEditable);
  EXPECT_FALSE(grid.SetCellText(9, 1, QStringLiteral("no")));
  grid.RemoveDataRows();
  EXPECT_EQ(grid.rowCount(), 1);
}

TEST_F(GridTest, AlignmentIsClippedToTheGridAndIgnoresBadBlocks) {
  grid.InsertDataRow(QStringLiteral("1"));
  grid.SetAlignment(0, 0, 99, 99, ui::kAlignCentre);
  EXPECT_EQ(grid.item(1, 1)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
  grid.SetAlignment(1, 1, 0, 1, ui::kAlignLeft);  // last row before the first: nothing
  EXPECT_EQ(grid.item(1, 1)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
  grid.SetAlignment(1, 1, 1, 1, 7);  // anything else is left
  EXPECT_EQ(grid.item(1, 1)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
}

TEST_F(GridTest, EditEventsComeBeforeTheEditorAndAfterTheTextIsStored) {
  grid.InsertDataRow(QStringLiteral("1"));
  grid.SetCellText(1, 1, QStringLiteral("old"));
  grid.resize(400, 200);
  grid.show();
  QStringList events;
  QObject::connect(&grid, &ui::Grid::EditBegins, &grid, [&] {
    events << QStringLiteral("begin:%1").arg(grid.indexWidget(grid.currentIndex()) != nullptr);
  });
  QObject::connect(&grid, &ui::Grid::EditEnded, &grid, [&] {
    events << QStringLiteral("end:") + grid.CellText(grid.currentRow(), grid.currentColumn());
  });
  grid.setCurrentCell(1, 1);
  grid.editItem(grid.item(1, 1));
  auto* editor = grid.findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  ASSERT_EQ(grid.indexWidget(grid.currentIndex()), editor);  // what "begin" looks at
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("new"));
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed editor
  grid.editItem(grid.item(1, 1));
  editor = grid.findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, QStringLiteral("zzz"));
  QTest::keyClick(editor, Qt::Key_Escape);  // abandoned: still an end, text unchanged
  QCoreApplication::processEvents();
  EXPECT_EQ(events, (QStringList{QStringLiteral("begin:0"), QStringLiteral("end:new"),
                                 QStringLiteral("begin:0"), QStringLiteral("end:new")}));
}

}  // namespace
}  // namespace wordloom
