#include "support/gui_support.h"

#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QGuiApplication>

namespace wordloom::testing {

ScriptedMessages::ScriptedMessages() {
  ui::SetMessageResponder([this](const ui::Message& m) {
    seen_.push_back(m);
    if (answers_.empty()) return ui::kAnswerOk;
    int code = answers_.front();
    answers_.pop_front();
    return code;
  });
}

ScriptedMessages::~ScriptedMessages() { ui::SetMessageResponder(nullptr); }

void Click(QWidget* button) {
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  QCoreApplication::processEvents();
}

void DoubleClick(QWidget* widget) {
  ASSERT_NE(widget, nullptr);
  // A double-click is a press, release, double-click press and release at one spot.
  QTest::mouseDClick(widget, Qt::LeftButton);
  QCoreApplication::processEvents();
}

void DoubleClickItem(QListWidget* list, int row) {
  ASSERT_NE(list, nullptr);
  QListWidgetItem* item = list->item(row);
  ASSERT_NE(item, nullptr);
  list->scrollToItem(item);
  const QPoint at = list->visualItemRect(item).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QCoreApplication::processEvents();
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qWait(5);
  }
  return true;
}

QWidget* OpenWindow(const char* className) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->inherits(className)) return w;
  }
  return nullptr;
}

std::vector<QString> VisibleWindows() {
  std::vector<QString> names;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible()) names.push_back(QString::fromLatin1(w->metaObject()->className()));
  }
  return names;
}

bool HasRealDisplay() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

void ChooseComboEntry(QComboBox* combo, int index) {
  ASSERT_NE(combo, nullptr);
  ASSERT_LT(index, combo->count());
  // Keyboard navigation selects as a user does, so the user's selection signal fires.
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Home);
  for (int i = 0; i < index; ++i) QTest::keyClick(combo, Qt::Key_Down);
  QCoreApplication::processEvents();
  ASSERT_EQ(combo->currentIndex(), index);
}

void WindowTest::TearDown() {
  EXPECT_TRUE(VisibleWindows().empty()) << "a window was left open";
  // Clean up anyway, so one failure does not spill into the next test.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->testAttribute(Qt::WA_DeleteOnClose)) w->close();
  }
  QCoreApplication::processEvents();
}

}  // namespace wordloom::testing
