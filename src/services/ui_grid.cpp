#include "services/ui_grid.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPalette>
#include <QScrollBar>
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

Qt::Alignment HorizontalAlignment(int alignment) {
  return alignment == kAlignCentre  ? Qt::AlignHCenter
         : alignment == kAlignRight ? Qt::AlignRight
                                    : Qt::AlignLeft;
}

}  // namespace

GridModel::GridModel(int columns, QObject* parent)
    : QAbstractTableModel(parent),
      columns_(columns),
      titles_(static_cast<std::size_t>(columns)),
      titleAlignment_(static_cast<std::size_t>(columns)),
      dataAlignment_(static_cast<std::size_t>(columns)) {}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 1 + DataRowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row();
  const auto column = static_cast<std::size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return CellText(row, index.column());
    case Qt::TextAlignmentRole: {
      const std::optional<Qt::Alignment>& a =
          row == 0 ? titleAlignment_[column] : dataAlignment_[column];
      return a ? QVariant(static_cast<int>(*a)) : QVariant();
    }
    case Qt::BackgroundRole:
      if (row == 0 || column == 0) return QGuiApplication::palette().button();
      return {};
    default:
      return {};
  }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
  return SetCellText(index.row(), index.column(), value.toString());
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.row() == 0 || index.column() == 0) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QString GridModel::CellText(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columns_) return {};
  return row == 0 ? titles_[static_cast<std::size_t>(column)] : DataText(row, column);
}

bool GridModel::SetCellText(int row, int column, const QString& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columns_) return false;
  if (row == 0) {
    titles_[static_cast<std::size_t>(column)] = text;
  } else if (!StoreDataText(row, column, text)) {
    return false;
  }
  const QModelIndex cell = index(row, column);
  emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

void GridModel::SetAlignment(int firstRow, int firstColumn, int lastRow, int lastColumn,
                             int alignment) {
  lastRow = std::min(lastRow, rowCount() - 1);
  lastColumn = std::min(lastColumn, columns_ - 1);
  if (firstRow < 0 || firstColumn < 0 || lastRow < firstRow || lastColumn < firstColumn) return;
  const Qt::Alignment a = HorizontalAlignment(alignment) | Qt::AlignVCenter;
  for (int c = firstColumn; c <= lastColumn; ++c) {
    if (firstRow == 0) titleAlignment_[static_cast<std::size_t>(c)] = a;
    if (lastRow >= 1) dataAlignment_[static_cast<std::size_t>(c)] = a;
  }
  emit dataChanged(index(firstRow, firstColumn), index(lastRow, lastColumn),
                   {Qt::TextAlignmentRole});
}

TextGridModel::TextGridModel(int columns, QObject* parent)
    : GridModel(columns, parent), columns_(columns) {}

void TextGridModel::InsertDataRow(const QString& header, std::optional<int> position) {
  int at = rowCount();
  if (position && *position >= 1 && *position < rowCount()) at = *position;
  beginInsertRows({}, at, at);
  std::vector<QString> cells(static_cast<std::size_t>(columns_));
  cells[0] = header;
  rows_.insert(rows_.begin() + (at - 1), std::move(cells));
  endInsertRows();
}

void TextGridModel::RemoveDataRows() {
  if (rows_.empty()) return;
  beginRemoveRows({}, 1, static_cast<int>(rows_.size()));
  rows_.clear();
  endRemoveRows();
}

int TextGridModel::DataRowCount() const { return static_cast<int>(rows_.size()); }

QString TextGridModel::DataText(int row, int column) const {
  return rows_[static_cast<std::size_t>(row) - 1][static_cast<std::size_t>(column)];
}

bool TextGridModel::StoreDataText(int row, int column, const QString& text) {
  rows_[static_cast<std::size_t>(row) - 1][static_cast<std::size_t>(column)] = text;
  return true;
}

Grid::Grid(int columns, QWidget* parent) : Grid(new TextGridModel(columns, nullptr), parent) {}

Grid::Grid(GridModel* model, QWidget* parent) : QTableView(parent), model_(model) {
  model_->setParent(this);
  setModel(model_);
  horizontalHeader()->hide();
  verticalHeader()->hide();
  // Every row the same height, never measured: a million rows cost no layout.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(24);
  auto* delegate = new EditNotifyingDelegate(this);
  setItemDelegate(delegate);
  connect(delegate, &QAbstractItemDelegate::closeEditor, this, [this] { emit EditEnded(); });
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
}

bool Grid::SetCellText(int row, int column, const QString& text) {
  return model_->SetCellText(row, column, text);
}

QString Grid::CellText(int row, int column) const { return model_->CellText(row, column); }

void Grid::SetAlignment(int firstRow, int firstColumn, int lastRow, int lastColumn, int alignment) {
  model_->SetAlignment(firstRow, firstColumn, lastRow, lastColumn, alignment);
}

void Grid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // A sentence cell is wider than the view: showing it whole would push the row numbers out
  // of sight at every click.
  const int column = horizontalScrollBar()->value();
  QTableView::scrollTo(index, hint);
  horizontalScrollBar()->setValue(column);
}

bool Grid::InsertDataRow(const QString& header, std::optional<int> position) {
  auto* texts = qobject_cast<TextGridModel*>(model_);
  if (texts == nullptr) return false;
  texts->InsertDataRow(header, position);
  return true;
}

void Grid::RemoveDataRows() {
  if (auto* texts = qobject_cast<TextGridModel*>(model_)) texts->RemoveDataRows();
}

}  // namespace wordloom::ui
