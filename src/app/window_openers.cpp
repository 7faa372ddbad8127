#include "app/window_openers.h"

#include "libraries/library_manager_window.h"
#include "libraries/new_library_window.h"
#include "sentences/sentence_manager_window.h"
#include "services/ui.h"

// A window that is not built yet opens nothing: its button does nothing when clicked.

namespace wordloom {

void OpenNewSentenceLibraryWindow(QWidget* parent) {
  ui::OpenWindowModal(new NewSentenceLibraryWindow(parent));
}
void OpenSentenceLibraryManagerWindow(QWidget* parent) {
  ui::OpenWindowModal(new SentenceLibraryManagerWindow(parent));
}
void OpenNewKeywordLibraryWindow(QWidget* parent) {
  ui::OpenWindowModal(new NewKeywordLibraryWindow(parent));
}
void OpenKeywordLibraryManagerWindow(QWidget* parent) {
  ui::OpenWindowModal(new KeywordLibraryManagerWindow(parent));
}
void OpenSentenceManagerWindow(QWidget* parent) {
  ui::OpenWindowModal(new SentenceManagerWindow(parent));
}
void OpenTemplateEditorWindow(QWidget*) {}
void OpenTemplateManagerWindow(QWidget*) {}

}  // namespace wordloom
