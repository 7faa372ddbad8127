#include "templates/template_box.h"

#include <QKeyEvent>

namespace wordloom {
namespace {

bool IsTabKey(const QKeyEvent* event) {
  return event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
}

}  // namespace

TemplateBox::TemplateBox(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

bool TemplateBox::event(QEvent* event) {
  // The press of TAB is swallowed before the box types a TAB of its own and before the
  // window moves the focus on: the release writes the one TAB, and it must find the box.
  if (event->type() == QEvent::KeyPress && IsTabKey(static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QPlainTextEdit::event(event);
}

void TemplateBox::keyReleaseEvent(QKeyEvent* event) {
  if (IsTabKey(event) && !event->isAutoRepeat()) {
    event->accept();
    emit TabReleased();
    return;
  }
  QPlainTextEdit::keyReleaseEvent(event);
}

}  // namespace wordloom
