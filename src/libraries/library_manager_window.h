// The windows that list the libraries of one kind, change a library's tag, register a
// further name and unregister a library with or without its folder: one design for both.
#pragma once

#include <QDialog>

#include "libraries/library_form.h"
#include "store/resource_store.h"

class QTreeWidget;

namespace wordloom {

class LibraryManagerWindow : public QDialog {
  Q_OBJECT

 public:
  LibraryManagerWindow(LibraryKind kind, QWidget* parent);

  // Selects the library's row and loads it for editing, as a double-click on it does. A
  // name without a row (a folder no registry names yet) goes into the name box, ready to
  // be registered with a tag.
  void ShowLibrary(const Text& name);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillLibraryList();
  void RefreshLibraryList();
  void LoadLibraryForEdit();
  void SaveLibraryEdit();
  void ClearTagBox();
  void DeleteSelectedLibrary();

  int SelectedRow() const;
  Text NameInRow(int row) const;
  void ReportFolderRemoval(FolderRemoval outcome, const Text& folder);

  const LibraryKind kind_;
  libraries::LibraryForm form_;
  QTreeWidget* list_ = nullptr;
};

class SentenceLibraryManagerWindow : public LibraryManagerWindow {
  Q_OBJECT

 public:
  explicit SentenceLibraryManagerWindow(QWidget* parent = nullptr)
      : LibraryManagerWindow(LibraryKind::kSentence, parent) {}
};

class KeywordLibraryManagerWindow : public LibraryManagerWindow {
  Q_OBJECT

 public:
  explicit KeywordLibraryManagerWindow(QWidget* parent = nullptr)
      : LibraryManagerWindow(LibraryKind::kKeyword, parent) {}
};

}  // namespace wordloom
