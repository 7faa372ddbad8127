// A small window that asks for one text: a file name on one line, or lines to add, typed
// or pasted as a block. OK hands the text to the window that asked, which says whether
// this one may close: input it refused (after telling why) stays for the user to mend.
#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QPlainTextEdit;

namespace wordloom {

class TextEntryWindow : public QDialog {
  Q_OBJECT

 public:
  enum class Entry { kOneLine, kLines };
  using Accept = std::function<bool(const QString& text)>;

  TextEntryWindow(QWidget* parent, const QString& title, const QString& prompt, Entry entry,
                  Accept accept);

 private:
  void Confirm();

  QLineEdit* line_ = nullptr;
  QPlainTextEdit* lines_ = nullptr;
  Accept accept_;
};

}  // namespace wordloom
