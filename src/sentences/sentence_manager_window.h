// The sentence manager: choose a sentence library, open one of its files in the grid and edit
// single sentences in place. Every finished edit goes to the file at once, into the very line
// that was edited.
#pragma once

#include <QDialog>

#include "services/text.h"

class QComboBox;
class QListWidget;

namespace wordloom {

namespace ui {
class Grid;
}

class SentenceManagerWindow : public QDialog {
  Q_OBJECT

 public:
  explicit SentenceManagerWindow(QWidget* parent = nullptr);

  // Chooses the library and opens its file in the grid, as the user would; with no file
  // name, or one not in the library, only the library's files are listed.
  void ShowFile(const Text& library, const Text& fileName);

 private:
  void InitSentenceManager();
  void ShowLibraryFiles();
  void OpenSentenceFile();
  void RememberCellText();
  void SaveEditedSentence();

  Text ShownFilePath() const;
  void PutCellBack(int row, const QString& text);
  QString ShownFileDescription() const;

  QComboBox* libraryCombo_ = nullptr;
  QListWidget* fileList_ = nullptr;
  ui::Grid* grid_ = nullptr;

  TextArray libraryNames_;  // combo item k (k >= 1) shows member k - 1
  TextArray fileNames_;     // file item numbered k shows member k - 1
  Text currentLibraryName_;

  // The file the grid shows. Edits go there even after another library has been chosen,
  // so a library whose file is not on screen is never written.
  Text shownLibraryName_;
  Text shownFileName_;

  // The cell whose editing began last, and its text then.
  int editedRow_ = -1;
  int editedColumn_ = -1;
  QString cellTextBeforeEdit_;
};

}  // namespace wordloom
