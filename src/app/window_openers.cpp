#include "app/window_openers.h"

#include "app/main_window.h"
#include "batch/batch_window.h"
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

// A template window tells when it wrote or deleted a template; the main window over it
// then rebuilds its list.
template <typename Window>
void OpenTemplateWindow(QWidget* parent) {
  auto* window = new Window(parent);
  if (auto* main = qobject_cast<MainWindow*>(parent)) {
    QObject::connect(window, &Window::TemplatesChanged, main, &MainWindow::RefreshTemplateList);
  }
  ui::OpenWindowModal(window);
}

}  // namespace

void OpenNewSentenceLibraryWindow(QWidget* parent) { Open<NewSentenceLibraryWindow>(parent); }
void OpenSentenceLibraryManagerWindow(QWidget* parent) {
  Open<SentenceLibraryManagerWindow>(parent);
}
void OpenNewKeywordLibraryWindow(QWidget* parent) { Open<NewKeywordLibraryWindow>(parent); }
void OpenKeywordLibraryManagerWindow(QWidget* parent) { Open<KeywordLibraryManagerWindow>(parent); }
void OpenSentenceManagerWindow(QWidget* parent) { Open<SentenceManagerWindow>(parent); }
void OpenTemplateEditorWindow(QWidget* parent) { OpenTemplateWindow<TemplateEditorWindow>(parent); }
void OpenTemplateManagerWindow(QWidget* parent) {
  OpenTemplateWindow<TemplateManagerWindow>(parent);
}
void OpenBatchWindow(QWidget* parent) { Open<BatchWindow>(parent); }

}  // namespace wordloom
