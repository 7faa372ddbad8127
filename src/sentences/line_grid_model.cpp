#include "sentences/line_grid_model.h"

#include <algorithm>

#include "services/ui.h"

namespace wordloom {

LineFile CutLineFile(ByteArray bytes) {
  auto shared = std::make_shared<const ByteArray>(std::move(bytes));
  const std::string_view text(shared->data(), std::min(shared->find('\0'), shared->size()));
  std::vector<LineSpan> spans = LineSpans(text, EmptyLastLine::kLine);
  return {std::move(shared), std::move(spans)};
}

LineGridModel::LineGridModel(QObject* parent) : ui::GridModel(2, parent) {}

void LineGridModel::Show(ByteArray bytes) {
  beginResetModel();
  typed_.reset();
  file_ = CutLineFile(std::move(bytes));
  const bool emptyLast = file_.spans.back().begin == file_.spans.back().end;
  rows_ = static_cast<int>(file_.spans.size()) - (emptyLast ? 1 : 0);
  endResetModel();
}

Text LineGridModel::Line(int row) const {
  const LineSpan& span = file_.spans[static_cast<std::size_t>(row) - 1];
  return file_.bytes->substr(span.begin, span.end - span.begin);
}

void LineGridModel::LineReplaced(int row, LineFile file) {
  typed_.reset();
  file_ = std::move(file);
  const QModelIndex cell = index(row, 1);
  emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

void LineGridModel::LinesInserted(int first, int count, LineFile file) {
  beginInsertRows({}, first, first + count - 1);
  typed_.reset();
  file_ = std::move(file);
  rows_ += count;
  endInsertRows();
}

void LineGridModel::LinesDeleted(int count, LineFile file) {
  // Deleted rows may lie anywhere; the view is told once, and the window puts the user
  // back where the rows were.
  beginResetModel();
  typed_.reset();
  file_ = std::move(file);
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
