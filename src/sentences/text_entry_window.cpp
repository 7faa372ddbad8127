#include "sentences/text_entry_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "services/ui_controls.h"

namespace wordloom {

TextEntryWindow::TextEntryWindow(QWidget* parent, const QString& title, const QString& prompt,
                                 Entry entry, Accept accept)
    : QDialog(parent), accept_(std::move(accept)) {
  const bool oneLine = entry == Entry::kOneLine;
  const int width = oneLine ? 360 : 520;
  const int boxHeight = oneLine ? 24 : 260;
  ui::DesignWindow(this, "TextEntryWindow", title, {width, 76 + boxHeight});

  QLabel* label = ui::MakeLabel(this, "标签_提示", prompt, {8, 8, width - 16, 20});
  label->setWordWrap(false);
  const QRect box{8, 32, width - 16, boxHeight};
  QWidget* input = nullptr;
  if (oneLine) {
    input = line_ = ui::Place(new QLineEdit(this), "编辑框_输入", box);
    connect(line_, &QLineEdit::returnPressed, this, &TextEntryWindow::Confirm);
  } else {
    input = lines_ = ui::Place(new QPlainTextEdit(this), "编辑框_输入", box);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
  }
  const int buttonTop = 32 + boxHeight + 8;
  QPushButton* ok =
      ui::MakeButton(this, "按钮_确定", QStringLiteral("确定"), {width - 176, buttonTop, 80, 28});
  connect(ok, &QPushButton::clicked, this, &TextEntryWindow::Confirm);
  QPushButton* cancel =
      ui::MakeButton(this, "按钮_取消", QStringLiteral("取消"), {width - 88, buttonTop, 80, 28});
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  input->setFocus();
}

void TextEntryWindow::Confirm() {
  const QString text = line_ != nullptr ? line_->text() : lines_->toPlainText();
  if (accept_(text)) accept();
}

}  // namespace wordloom
