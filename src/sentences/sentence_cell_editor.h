// The in-place editor of sentence cells. A sentence is one line of its file, so a line break
// typed, pasted or dropped into the editor is refused; the change that would bring it is
// undone. Line-break characters the sentence already held are kept: a lone CR or LF stays
// inside its line in the file, and the sentence must come back byte for byte.
#pragma once

#include <QLineEdit>

namespace wordloom {

namespace ui {
class Grid;
}
class LineBreakGuard;

class SentenceCellEditor : public QLineEdit {
  Q_OBJECT
  // The grid's delegate fills and reads the editor through its user property.
  Q_PROPERTY(QString text READ text WRITE SetStartText USER true)

 public:
  explicit SentenceCellEditor(QWidget* parent = nullptr);

  // Sets the text the edit starts from; its line breaks are the ones allowed.
  void SetStartText(const QString& text);

 private:
  LineBreakGuard* guard_;
};

// Makes every in-place editor of the grid a SentenceCellEditor.
void UseSentenceCellEditors(ui::Grid* grid);

}  // namespace wordloom
