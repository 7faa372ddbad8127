#include "app/window_openers.h"

// A window that is not built yet opens nothing: its button does nothing when clicked.

namespace wordloom {

void OpenNewSentenceLibraryWindow(QWidget*) {}
void OpenSentenceLibraryManagerWindow(QWidget*) {}
void OpenNewKeywordLibraryWindow(QWidget*) {}
void OpenKeywordLibraryManagerWindow(QWidget*) {}
void OpenSentenceManagerWindow(QWidget*) {}
void OpenTemplateEditorWindow(QWidget*) {}
void OpenTemplateManagerWindow(QWidget*) {}

}  // namespace wordloom
