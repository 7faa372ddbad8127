#include "app/window_openers.h"

#include "libraries/library_manager_window.h"
#include "libraries/new_library_window.h"
#include "sentences/sentence_manager_window.h"
#include "services/ui.h"
#include "templates/template_editor_window.h"
#include "templates/template_manager_window.h"

namespace wordloom {
namespace {

// Every opening creates the window afresh over its parent.
template <typename Window>
void Open(QWidget* parent) {
  ui::OpenWindowModal(new Window(parent));
}

}  // namespace

void OpenNewSentenceLibraryWindow(QWidget* parent) { Open<NewSentenceLibraryWindow>(parent); }
void OpenSentenceLibraryManagerWindow(QWidget* parent) {
  Open<SentenceLibraryManagerWindow>(parent);
}
void OpenNewKeywordLibraryWindow(QWidget* parent) { Open<NewKeywordLibraryWindow>(parent); }
void OpenKeywordLibraryManagerWindow(QWidget* parent) {
  Open<KeywordLibraryManagerWindow>(parent);
}
void OpenSentenceManagerWindow(QWidget* parent) { Open<SentenceManagerWindow>(parent); }
void OpenTemplateEditorWindow(QWidget* parent) { Open<TemplateEditorWindow>(parent); }
void OpenTemplateManagerWindow(QWidget* parent) { Open<TemplateManagerWindow>(parent); }

}  // namespace wordloom
