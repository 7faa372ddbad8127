// The rows of a library file in the grid: the file's bytes as shown and where its lines
// lie (the line rule's spans), a line decoded only when the view asks for it. A file of a
// million lines costs its bytes and one span a line, nothing per cell.
#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "services/text.h"
#include "services/ui_grid.h"
#include "store/line_rule.h"

namespace wordloom {

// A file's bytes cut into lines as the grid shows them. Cutting a big file takes a while, so
// a worker that has just written the file cuts it; the grid only takes the result.
struct LineFile {
  std::shared_ptr<const ByteArray> bytes;
  std::vector<LineSpan> spans;  // the lines of the text, the piece after the last CR LF too
};
LineFile CutLineFile(ByteArray bytes);

class LineGridModel : public ui::GridModel {
  Q_OBJECT

 public:
  explicit LineGridModel(QObject* parent = nullptr);

  // Shows the file: one row a line of its text, as files are read (no row for the empty
  // piece after a final CR LF).
  void Show(ByteArray bytes);
  // The bytes the rows were made from: the file as the user last saw it. Shared, so a
  // worker can compare the file with them while the grid still shows them.
  const ByteArray& Bytes() const { return *file_.bytes; }
  std::shared_ptr<const ByteArray> SharedBytes() const { return file_.bytes; }
  int LineCount() const { return rows_; }
  // The bytes of line `row` (1 ...) as shown.
  Text Line(int row) const;

  // The file now holds `bytes`, written from the rows with the change named. Rows keep
  // their places otherwise: a line emptied at the end stays a row, as the line editor
  // counts lines, so it can be edited again.
  void LineReplaced(int row, LineFile file);
  void LinesInserted(int first, int count, LineFile file);
  void LinesDeleted(int count, LineFile file);

  // A typed text that was not saved leaves the cell, which shows the line again.
  void DropTypedText();

 protected:
  int DataRowCount() const override { return rows_; }
  QString DataText(int row, int column) const override;
  bool StoreDataText(int row, int column, const QString& text) override;

 private:
  LineFile file_ = CutLineFile({});
  int rows_ = 0;  // file_.spans.size(), or one less when that piece is not shown
  // What the user typed into a cell, until the window has saved it or put the line back.
  std::optional<std::pair<int, QString>> typed_;
};

}  // namespace wordloom
