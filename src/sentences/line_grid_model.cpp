#include "sentences/line_grid_model.h"

#include <algorithm>

#include "services/ui.h"

namespace wordloom {

LineGridModel::LineGridModel(QObject* parent) : ui::GridModel(2, parent) {}

void LineGridModel::Cut(ByteArray bytes) {
  bytes_ = std::move(bytes);
  const std::string_view text(bytes_.data(), std::min(bytes_.find('\0'), bytes_.size()));
  spans_ = LineSpans(text, EmptyLastLine::kLine);
}

void LineGridModel::Show(ByteArray bytes) {
  beginResetModel();
  typed_.reset();
  Cut(std::move(bytes));
  const bool emptyLast = spans_.back().begin == spans_.back().end;
  rows_ = static_cast<int>(spans_.size()) - (emptyLast ? 1 : 0);
  endResetModel();
}

Text LineGridModel::Line(int row) const {
  const LineSpan& span = spans_[static_cast<std::size_t>(row) - 1];
  return bytes_.substr(span.begin, span.end - span.begin);
}

void LineGridModel::LineReplaced(int row, ByteArray bytes) {
  typed_.reset();
  Cut(std::move(bytes));
  const QModelIndex cell = index(row, 1);
  emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

void LineGridModel::LinesInserted(int first, int count, ByteArray bytes) {
  beginInsertRows({}, first, first + count - 1);
  typed_.reset();
  Cut(std::move(bytes));
  rows_ += count;
  endInsertRows();
}

void LineGridModel::LinesDeleted(int count, ByteArray bytes) {
  // Deleted rows may lie anywhere; the view is told once, and the window puts the user
  // back where the rows were.
  beginResetModel();
  typed_.reset();
  Cut(std::move(bytes));
  rows_ -= count;
  endResetModel();
}

void LineGridModel::DropTypedText() {
  if (!typed_) return;
  const int row = typed_->first;
  typed_.reset();
  const QModelIndex cell = index(row, 1);
  emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

QString LineGridModel::DataText(int row, int column) const {
  if (column == 0) return QString::number(row);
  if (typed_ && typed_->first == row) return typed_->second;
  return ui::Display(Line(row));
}

bool LineGridModel::StoreDataText(int row, int column, const QString& text) {
  if (column != 1) return false;
  typed_.emplace(row, text);
  return true;
}

}  // namespace wordloom
