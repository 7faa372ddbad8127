#include "services/ui_grid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace wordloom::ui {
namespace {

// Tells the grid when an in-place editor opens and when it has closed (after its text was
// committed, or discarded with Escape).
class EditNotifyingDelegate : public QStyledItemDelegate {
 public:
  explicit EditNotifyingDelegate(Grid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QMetaObject::invokeMethod(grid_, "EditBegins", Qt::DirectConnection);
    return QStyledItemDelegate::createEditor(parent, option, index);
  }

 private:
  Grid* grid_;
};

}  // namespace

Grid::Grid(int columns, QWidget* parent) : QTableWidget(1, columns, parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(24);
  auto* delegate = new EditNotifyingDelegate(this);
  setItemDelegate(delegate);
  connect(delegate, &QAbstractItemDelegate::closeEditor, this, [this] { emit EditEnded(); });
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  for (int c = 0; c < columns; ++c) MakeFixed(0, c);
}

QTableWidgetItem* Grid::EnsureItem(int row, int column) {
  QTableWidgetItem* it = item(row, column);
  if (it == nullptr) {
    it = new QTableWidgetItem;
    setItem(row, column, it);
  }
  return it;
}

void Grid::MakeFixed(int row, int column) {
  QTableWidgetItem* it = EnsureItem(row, column);
  it->setFlags(Qt::ItemIsEnabled);
  it->setBackground(palette().button());
}

bool Grid::SetCellText(int row, int column, const QString& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return false;
  EnsureItem(row, column)->setText(text);
  return true;
}

QString Grid::CellText(int row, int column) const {
  const QTableWidgetItem* it = item(row, column);
  return it == nullptr ? QString() : it->text();
}

void Grid::SetAlignment(int firstRow, int firstColumn, int lastRow, int lastColumn, int alignment) {
  lastRow = std::min(lastRow, rowCount() - 1);
  lastColumn = std::min(lastColumn, columnCount() - 1);
  if (firstRow < 0 || firstColumn < 0 || lastRow < firstRow || lastColumn < firstColumn) return;
  Qt::Alignment horizontal = alignment == kAlignCentre  ? Qt::AlignHCenter
                             : alignment == kAlignRight ? Qt::AlignRight
                                                        : Qt::AlignLeft;
  for (int r = firstRow; r <= lastRow; ++r) {
    for (int c = firstColumn; c <= lastColumn; ++c) {
      EnsureItem(r, c)->setTextAlignment(horizontal | Qt::AlignVCenter);
    }
  }
  viewport()->update();
}

bool Grid::InsertDataRow(const QString& header, std::optional<int> position) {
  int at = rowCount();
  if (position && *position >= 1 && *position < rowCount()) at = *position;
  insertRow(at);
  MakeFixed(at, 0);
  item(at, 0)->setText(header);
  for (int c = 1; c < columnCount(); ++c) EnsureItem(at, c);
  return true;
}

void Grid::RemoveDataRows() { setRowCount(std::min(rowCount(), 1)); }

}  // namespace wordloom::ui
