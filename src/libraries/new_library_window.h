// The windows that register a new sentence or keyword library: one design for both kinds.
#pragma once

#include <QDialog>

#include "libraries/library_form.h"
#include "store/resource_store.h"

namespace wordloom {

class NewLibraryWindow : public QDialog {
  Q_OBJECT

 public:
  NewLibraryWindow(LibraryKind kind, QWidget* parent);

 private:
  void SaveNewLibrary();
  void ClearNewLibraryForm();

  const LibraryKind kind_;
  libraries::LibraryForm form_;
};

class NewSentenceLibraryWindow : public NewLibraryWindow {
  Q_OBJECT

 public:
  explicit NewSentenceLibraryWindow(QWidget* parent = nullptr)
      : NewLibraryWindow(LibraryKind::kSentence, parent) {}
};

class NewKeywordLibraryWindow : public NewLibraryWindow {
  Q_OBJECT

 public:
  explicit NewKeywordLibraryWindow(QWidget* parent = nullptr)
      : NewLibraryWindow(LibraryKind::kKeyword, parent) {}
};

}  // namespace wordloom
