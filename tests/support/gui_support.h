// Helpers for window tests: scripted message answers, finding controls by their design
// names, clicking, and waiting for the worker thread.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "services/ui.h"
#include "support/temp_store.h"

// Readable QStrings in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '"' << l.join(QStringLiteral("\", \"")).toStdString() << '"';
}

namespace wordloom::testing {

// Answers message boxes from a queue (OK when the queue is empty) and records them all.
class ScriptedMessages {
 public:
  ScriptedMessages();
  ~ScriptedMessages();

  void Answer(int code) { answers_.push_back(code); }
  const std::vector<ui::Message>& Seen() const { return seen_; }
  // The last message, or an empty one.
  ui::Message Last() const { return seen_.empty() ? ui::Message{} : seen_.back(); }
  void Clear() { seen_.clear(); }

 private:
  std::deque<int> answers_;
  std::vector<ui::Message> seen_;
};

// A control of `root` by its design name (UTF-8); fails the test when there is none.
template <typename T>
T* Find(QWidget* root, const char* designName) {
  T* control = root->findChild<T*>(QString::fromUtf8(designName));
  EXPECT_NE(control, nullptr) << "no control " << designName;
  return control;
}

void Click(QWidget* button);
void DoubleClick(QWidget* widget);
void DoubleClickItem(QListWidget* list, int row);
// Selects a combo box entry with the keyboard, as a user would.
void ChooseComboEntry(QComboBox* combo, int index);

// Processes events until the condition holds; false after the timeout.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

// The visible top-level window of the given class, opened by the last click.
QWidget* OpenWindow(const char* className);

// Names of visible top-level windows (each window test must end with none).
std::vector<QString> VisibleWindows();

// True when focus assertions mean something: a real (virtual) display, not offscreen.
bool HasRealDisplay();

// Base for window tests: a temporary store, scripted messages, and a check at the end that
// no window was left open.
class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override;

  TempStore store;
  ScriptedMessages messages;
};

}  // namespace wordloom::testing
