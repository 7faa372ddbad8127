#include "app/window_openers.h"

#include "sentences/sentence_manager_window.h"
#include "services/ui.h"

// A window that is not built yet opens nothing: its button does nothing when clicked.

namespace wordloom {

void OpenNewSentenceLibraryWindow(QWidget*) {}
void OpenSentenceLibraryManagerWindow(QWidget*) {}
void OpenNewKeywordLibraryWindow(QWidget*) {}
void OpenKeywordLibraryManagerWindow(QWidget*) {}
void OpenSentenceManagerWindow(QWidget* parent) {
  ui::OpenWindowModal(new SentenceManagerWindow(parent));
}
void OpenTemplateEditorWindow(QWidget*) {}
void OpenTemplateManagerWindow(QWidget*) {}

}  // namespace wordloom
