// The grid: a table of text cells whose row 0 and column 0 are fixed (shaded, never
// edited), with events when the user begins and ends editing a cell in place.
#pragma once

#include <QTableWidget>

#include <optional>

namespace wordloom::ui {

inline constexpr int kAlignLeft = 1;
inline constexpr int kAlignCentre = 2;
inline constexpr int kAlignRight = 3;

class Grid : public QTableWidget {
  Q_OBJECT

 public:
  // A grid with one fixed row and one fixed column and `columns` columns in all.
  Grid(int columns, QWidget* parent = nullptr);

  bool SetCellText(int row, int column, const QString& text);
  QString CellText(int row, int column) const;
  // Aligns the block of cells; the block is clipped to the cells that exist.
  void SetAlignment(int firstRow, int firstColumn, int lastRow, int lastColumn, int alignment);
  // Appends a row (or inserts it before `position` when that is a data row) whose
  // column-0 cell holds the header text.
  bool InsertDataRow(const QString& header, std::optional<int> position = std::nullopt);
  void RemoveDataRows();

 signals:
  // Raised when the user starts editing a cell, before its editor opens.
  void EditBegins();
  // Raised on every end of an in-place edit, after the edited text is in the cell.
  void EditEnded();

 private:
  void MakeFixed(int row, int column);
  QTableWidgetItem* EnsureItem(int row, int column);
};

}  // namespace wordloom::ui
