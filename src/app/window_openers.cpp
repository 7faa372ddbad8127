#include "app/window_openers.h"

#include "libraries/library_manager_window.h"
#include "libraries/new_library_window.h"
#include "sentences/sentence_manager_window.h"
#include "services/ui.h"
#include "templates/template_editor_window.h"
#include "templates/template_manager_window.h"

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
void OpenTemplateEditorWindow(QWidget* parent) {
  ui::OpenWindowModal(new TemplateEditorWindow(parent));
}
void OpenTemplateManagerWindow(QWidget* parent) {
  ui::OpenWindowModal(new TemplateManagerWindow(parent));
}

}  // namespace wordloom
