// The template box: a multi-line edit box in which the TAB key writes a TAB character.
#pragma once

#include <QPlainTextEdit>

namespace wordloom {

class TemplateBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TemplateBox(QWidget* parent);

 signals:
  // One per release of the TAB key in the box (held-down repeats do not count).
  void TabReleased();

 protected:
  bool event(QEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
};

}  // namespace wordloom
