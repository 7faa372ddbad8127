#include "services/ui_controls.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>

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

class EvenRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    QStyleOptionViewItem chinese = option;
    initStyleOption(&chinese, index);
    chinese.text = QStringLiteral("汉字");
    const QWidget* view = option.widget;
    const QStyle* style = view != nullptr ? view->style() : nullptr;
    if (style != nullptr) {
      const QSize tall = style->sizeFromContents(QStyle::CT_ItemViewItem, &chinese, {}, view);
      size.setHeight(std::max(size.height(), tall.height()));
    }
    return size;
  }
};

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

void KeepListRowsEven(QListWidget* list) { list->setItemDelegate(new EvenRowDelegate(list)); }

void MakeFlatTable(QTreeWidget* list) {
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

}  // namespace wordloom::ui
