// The sentence manager and its twin for keywords: choose a library, open one of its files
// in the grid and edit single lines in place, add lines (one, or a pasted block), delete
// the selected ones, start a new file, import text files as new files, or export the
// library as one UTF-8 file. Every change goes to the file at once (on a worker, the window
// stays responsive) and touches only the lines it means; a file changed elsewhere since it
// was shown is never overwritten.
#pragma once

#include <QAbstractItemView>
#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "import/text_import.h"

#include "services/text.h"
#include "store/resource_store.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace wordloom {

namespace ui {
class Grid;
}
class LineGridModel;
struct LineFile;
struct LineManagerDesign;

class LineManagerWindow : public QDialog {
  Q_OBJECT

 public:
  LineManagerWindow(LibraryKind kind, QWidget* parent);

  // Chooses the library and opens its file in the grid, as the user would; with no file
  // name, or one not in the library, only the library's files are listed.
  void ShowFile(const Text& library, const Text& fileName);

 private:
  void InitLineManager();
  void ShowLibraryFiles();
  void OpenLibraryFile();
  void RememberCellText();
  void SaveEditedLine();

  void AskForNewFile();
  bool CreateLibraryFile(const QString& typedName);
  void AskForLines();
  // Starts adding the typed lines; the entry window closes once they are written.
  bool AddLines(const QString& typed);
  void DeleteSelectedLines();

  // Import and export run on a worker; the window is told when they are done, if it is
  // still open.
  void ImportTexts();
  void ChooseImportOptions(const Text& library,
                           const std::shared_ptr<std::vector<import::ImportSource>>& sources);
  void ReportImport(const Text& library, const std::vector<import::ImportSource>& sources,
                    const std::vector<import::ImportOutcome>& outcomes,
                    const import::ImportOptions& options);
  void ExportLibrary();
  void ReportExport(const Text& library, const Text& outPath, const import::ExportOutcome& done);
  void SetTransfersEnabled(bool enabled);

  // Rewrites the shown file with `edit` applied to the bytes the grid shows, on a worker;
  // meanwhile the controls that could start another change are disabled. When it is done,
  // on the user-interface thread, a file changed since it was shown or that could not be
  // read or written is warned about, and `finish` gets the file now on disk (nothing when
  // `edit` declined or after such a warning) and the window, null once it has closed.
  // False, after a warning, when the worker could not start.
  using ChangeFinish =
      std::function<void(const QPointer<LineManagerWindow>& window, std::optional<LineFile> file)>;
  bool ChangeShownFile(std::function<bool(ByteArray&)> edit, ChangeFinish finish);
  void SetChangeRunning(bool running);
  void EnableControls();
  static void WarnChangedOnDisk(const QString& fileDescription);
  bool ChosenLibrary(Text& name) const;
  Text ShownFilePath() const;
  QString ShownFileDescription() const;
  int LastSelectedRow() const;

  const LibraryKind kind_;
  const LineManagerDesign& design_;
  QComboBox* libraryCombo_ = nullptr;
  QListWidget* fileList_ = nullptr;
  ui::Grid* grid_ = nullptr;
  LineGridModel* lines_ = nullptr;
  QPushButton* newFileButton_ = nullptr;
  QPushButton* addButton_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QPushButton* importButton_ = nullptr;
  QPushButton* exportButton_ = nullptr;
  QLabel* status_ = nullptr;
  QPointer<QDialog> lineEntry_;  // the window the lines to add are typed into
  QAbstractItemView::EditTriggers gridEditTriggers_;

  bool changeRunning_ = false;     // a change to the shown file is being written
  bool transfersRunning_ = false;  // an import or an export is running

  TextArray libraryNames_;  // combo item k (k >= 1) shows member k - 1
  TextArray fileNames_;     // file item numbered k shows member k - 1
  Text currentLibraryName_;

  // The file the grid shows. Changes go there even after another library has been chosen,
  // so a library whose file is not on screen is never written.
  Text shownLibraryName_;
  Text shownFileName_;

  // The cell whose editing began last, and its text then.
  int editedRow_ = -1;
  int editedColumn_ = -1;
  QString cellTextBeforeEdit_;
};

class SentenceManagerWindow : public LineManagerWindow {
  Q_OBJECT

 public:
  explicit SentenceManagerWindow(QWidget* parent = nullptr)
      : LineManagerWindow(LibraryKind::kSentence, parent) {}
};

class KeywordManagerWindow : public LineManagerWindow {
  Q_OBJECT

 public:
  explicit KeywordManagerWindow(QWidget* parent = nullptr)
      : LineManagerWindow(LibraryKind::kKeyword, parent) {}
};

}  // namespace wordloom
