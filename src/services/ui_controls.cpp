#include "services/ui_controls.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace wordloom::ui {
namespace {

// The design's sizes were measured for a smaller font than ours: a caption that would be
// cut off is shown whole in a smaller font.
void FitCaption(QWidget* control, const QString& caption, int room) {
  QFont font = control->font();
  while (QFontMetrics(font).horizontalAdvance(caption) > room && font.pointSizeF() > 6) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
  control->setFont(font);
}

}  // namespace

void DesignWindow(QWidget* window, const char* designName, const QString& title, QSize size,
                  std::optional<QPoint> position) {
  window->setObjectName(QString::fromUtf8(designName));
  window->setWindowTitle(title);
  window->setFixedSize(size);
  if (position) window->move(*position);
}

QPushButton* MakeButton(QWidget* parent, const char* designName, const QString& caption,
                        const QRect& place) {
  auto* button = Place(new QPushButton(caption, parent), designName, place);
  // In a dialog, Enter in an edit box would press the first auto-default button.
  button->setAutoDefault(false);
  FitCaption(button, caption, place.width() - 4);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const char* designName, const QString& caption,
                  const QRect& place) {
  auto* label = Place(new QLabel(caption, parent), designName, place);
  FitCaption(label, caption, place.width());
  return label;
}

int SelectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

}  // namespace wordloom::ui
