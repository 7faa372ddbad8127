#include "templates/template_controls.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace wordloom {
namespace {

// Some design captions are as wide as their buttons: a smaller font shows them whole
// instead of clipping their first and last characters.
void FitCaption(QWidget* control, const QString& caption, int room) {
  QFont font = control->font();
  while (QFontMetrics(font).horizontalAdvance(caption) > room && font.pointSizeF() > 6.5) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
  control->setFont(font);
}

}  // namespace

QPushButton* MakeButton(QWidget* parent, const char* designName, const char* caption,
                        const QRect& place) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromUtf8(designName));
  button->setGeometry(place);
  // Enter in the name box must not press a button (a dialog presses its first one).
  button->setAutoDefault(false);
  FitCaption(button, button->text(), place.width() - 4);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const char* designName, const char* caption,
                  const QRect& place) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(QString::fromUtf8(designName));
  label->setGeometry(place);
  FitCaption(label, label->text(), place.width());
  return label;
}

int SelectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

}  // namespace wordloom
