#include "app/window_openers.h"

#include "services/ui.h"
#include "templates/template_editor_window.h"
#include "templates/template_manager_window.h"

// A window that is not built yet opens nothing: its button does nothing when clicked.

namespace wordloom {

void OpenNewSentenceLibraryWindow(QWidget*) {}
void OpenSentenceLibraryManagerWindow(QWidget*) {}
void OpenNewKeywordLibraryWindow(QWidget*) {}
void OpenKeywordLibraryManagerWindow(QWidget*) {}
void OpenSentenceManagerWindow(QWidget*) {}
void OpenTemplateEditorWindow(QWidget* parent) {
  ui::OpenWindowModal(new TemplateEditorWindow(parent));
}
void OpenTemplateManagerWindow(QWidget* parent) {
  ui::OpenWindowModal(new TemplateManagerWindow(parent));
}

}  // namespace wordloom
