#include "app/window_openers.h"

#include "app/main_window.h"
#include "app/store_check_window.h"
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
Window* Open(QWidget* parent) {
  auto* window = new Window(parent);
  ui::OpenWindowModal(window);
  return window;
}

// A template window tells when it wrote or deleted a template; the main window under it
// (directly, or under the window that opened it) then rebuilds its list.
template <typename Window>
Window* OpenTemplateWindow(QWidget* parent) {
  auto* window = new Window(parent);
  for (QWidget* below = parent; below != nullptr; below = below->parentWidget()) {
    if (auto* main = qobject_cast<MainWindow*>(below)) {
      QObject::connect(window, &Window::TemplatesChanged, main, &MainWindow::RefreshTemplateList);
      break;
    }
  }
  ui::OpenWindowModal(window);
  return window;
}

}  // namespace

void OpenNewSentenceLibraryWindow(QWidget* parent) { Open<NewSentenceLibraryWindow>(parent); }
void OpenSentenceLibraryManagerWindow(QWidget* parent) {
  Open<SentenceLibraryManagerWindow>(parent);
}
void OpenNewKeywordLibraryWindow(QWidget* parent) { Open<NewKeywordLibraryWindow>(parent); }
void OpenKeywordLibraryManagerWindow(QWidget* parent) { Open<KeywordLibraryManagerWindow>(parent); }
void OpenSentenceManagerWindow(QWidget* parent) { Open<SentenceManagerWindow>(parent); }
void OpenKeywordManagerWindow(QWidget* parent) { Open<KeywordManagerWindow>(parent); }
void OpenTemplateEditorWindow(QWidget* parent) { OpenTemplateWindow<TemplateEditorWindow>(parent); }
void OpenTemplateManagerWindow(QWidget* parent) {
  OpenTemplateWindow<TemplateManagerWindow>(parent);
}
void OpenBatchWindow(QWidget* parent) { Open<BatchWindow>(parent); }

void OpenStoreCheckWindow(QWidget* parent) { Open<StoreCheckWindow>(parent); }

void OpenLibraryManagerWindowOn(QWidget* parent, LibraryKind kind, const Text& library) {
  LibraryManagerWindow* window =
      kind == LibraryKind::kSentence
          ? static_cast<LibraryManagerWindow*>(Open<SentenceLibraryManagerWindow>(parent))
          : Open<KeywordLibraryManagerWindow>(parent);
  window->ShowLibrary(library);
}

void OpenLineManagerWindowOn(QWidget* parent, LibraryKind kind, const Text& library,
                             const Text& fileName) {
  LineManagerWindow* window =
      kind == LibraryKind::kSentence
          ? static_cast<LineManagerWindow*>(Open<SentenceManagerWindow>(parent))
          : Open<KeywordManagerWindow>(parent);
  window->ShowFile(library, fileName);
}

void OpenTemplateManagerWindowOn(QWidget* parent, const Text& fileName) {
  OpenTemplateWindow<TemplateManagerWindow>(parent)->ShowTemplate(fileName);
}

}  // namespace wordloom
