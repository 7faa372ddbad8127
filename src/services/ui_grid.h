// The grid: a table of text cells whose row 0 and column 0 are fixed (shaded, never
// edited), with events when the user begins and ends editing a cell in place. A view over
// a model of our own, so a grid of a million lines keeps nothing per cell: the model
// answers for the data cells when the view asks, and the fixed cells look alike whatever
// model is behind them.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include <optional>
#include <vector>

namespace wordloom::ui {

inline constexpr int kAlignLeft = 1;
inline constexpr int kAlignCentre = 2;
inline constexpr int kAlignRight = 3;

// The cells of a grid. Row 0 holds the column titles; the data rows are 1 ... and the
// subclass keeps their texts, column 0 included (the row's header).
class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  GridModel(int columns, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  QString CellText(int row, int column) const;
  // False outside the grid, and where the model keeps no text of its own.
  bool SetCellText(int row, int column, const QString& text);
  // Aligns the block of cells; the block is clipped to the cells that exist. Data rows are
  // aligned by column: a block that reaches into them aligns the column's data cells, the
  // rows that come later too.
  void SetAlignment(int firstRow, int firstColumn, int lastRow, int lastColumn, int alignment);

 protected:
  virtual int DataRowCount() const = 0;
  // The text of data row `row` (1 ...), any column.
  virtual QString DataText(int row, int column) const = 0;
  // Stores a data cell's text; false where the model computes the text itself.
  virtual bool StoreDataText(int row, int column, const QString& text) = 0;

 private:
  int columns_;
  std::vector<QString> titles_;
  std::vector<std::optional<Qt::Alignment>> titleAlignment_;
  std::vector<std::optional<Qt::Alignment>> dataAlignment_;
};

// A grid model that holds the text of every cell: for grids of a few rows.
class TextGridModel : public GridModel {
  Q_OBJECT

 public:
  TextGridModel(int columns, QObject* parent);

  // Appends a row (or inserts it before `position` when that is a data row) whose
  // column-0 cell holds the header text.
  void InsertDataRow(const QString& header, std::optional<int> position);
  void RemoveDataRows();

 protected:
  int DataRowCount() const override;
  QString DataText(int row, int column) const override;
  bool StoreDataText(int row, int column, const QString& text) override;

 private:
  int columns_;
  std::vector<std::vector<QString>> rows_;  // data row r is rows_[r - 1]
};

class Grid : public QTableView {
  Q_OBJECT

 public:
  // A grid of `columns` columns in all, holding the texts set into its cells.
  Grid(int columns, QWidget* parent = nullptr);
  // A grid over `model`, which it takes over.
  explicit Grid(GridModel* model, QWidget* parent = nullptr);

  GridModel* Model() const { return model_; }
  int rowCount() const { return model_->rowCount(); }
  int columnCount() const { return model_->columnCount(); }
  int currentRow() const { return currentIndex().row(); }
  int currentColumn() const { return currentIndex().column(); }

  bool SetCellText(int row, int column, const QString& text);
  QString CellText(int row, int column) const;
  void SetAlignment(int firstRow, int firstColumn, int lastRow, int lastColumn, int alignment);
  // Rows of a grid of texts (the first constructor); a grid over another model has the
  // rows its model has, and these do nothing there.
  bool InsertDataRow(const QString& header, std::optional<int> position = std::nullopt);
  void RemoveDataRows();

  // Brings the cell's row into view, and keeps the columns where the user left them.
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 signals:
  // Raised when the user starts editing a cell, before its editor opens.
  void EditBegins();
  // Raised on every end of an in-place edit, after the edited text is in the cell.
  void EditEnded();

 private:
  GridModel* model_;
};

}  // namespace wordloom::ui
