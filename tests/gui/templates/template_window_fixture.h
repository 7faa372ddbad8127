// A template window opened from the main window's button, as the user opens it.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

#include "app/main_window.h"
#include "support/gui_support.h"

namespace wordloom::testing {

class TemplateWindowTest : public WindowTest {
 protected:
  void OpenFromMain(const char* button, const char* windowClass) {
    main = std::make_unique<MainWindow>();
    main->show();
    mainList = Find<QComboBox>(main.get(), "组合框_模版列表");
    Click(Find<QPushButton>(main.get(), button));
    window = qobject_cast<QDialog*>(OpenWindow(windowClass));
    ASSERT_NE(window, nullptr);
    box = Find<QPlainTextEdit>(window, "编辑框_模版");
    name = Find<QLineEdit>(window, "编辑框_文件名");
  }

  void TearDown() override {
    // Edits a test left unsaved are thrown away when the window closes.
    if (window) {
      messages.Answer(ui::kAnswerNo);
      window->close();
    }
    main.reset();
    WindowTest::TearDown();
  }

  void Press(const char* button) { Click(Find<QPushButton>(window, button)); }
  void Save() { Press("按钮_保存"); }

  // Types into the template box from the keyboard.
  void Type(const QString& keys) {
    box->setFocus();
    QTest::keyClicks(box, keys);
  }

  QStringList Items(const char* list) const {
    const auto* widget = Find<QListWidget>(window, list);
    QStringList items;
    for (int i = 0; i < widget->count(); ++i) items << widget->item(i)->text();
    return items;
  }
  QStringList MainEntries() const {
    QStringList entries;
    for (int i = 0; i < mainList->count(); ++i) entries << mainList->itemText(i);
    return entries;
  }

  // The last message shown; information boxes are titled 提示, the others 警告.
  void ExpectLast(const char* text, int flags = ui::kWarning) const {
    EXPECT_EQ(messages.Last().text, QString::fromUtf8(text));
    EXPECT_EQ(messages.Last().flags, flags);
    EXPECT_EQ(messages.Last().title,
              flags == ui::kOk ? QStringLiteral("提示") : QStringLiteral("警告"));
  }

  std::unique_ptr<MainWindow> main;
  QComboBox* mainList = nullptr;
  QPointer<QDialog> window;
  QPlainTextEdit* box = nullptr;
  QLineEdit* name = nullptr;
};

}  // namespace wordloom::testing
