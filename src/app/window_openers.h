// The windows the main window opens, each modally over `parent`.
#pragma once

#include "services/text.h"
#include "store/resource_store.h"

class QWidget;

namespace wordloom {

void OpenNewSentenceLibraryWindow(QWidget* parent);
void OpenSentenceLibraryManagerWindow(QWidget* parent);
void OpenNewKeywordLibraryWindow(QWidget* parent);
void OpenKeywordLibraryManagerWindow(QWidget* parent);
void OpenSentenceManagerWindow(QWidget* parent);
void OpenKeywordManagerWindow(QWidget* parent);
void OpenTemplateEditorWindow(QWidget* parent);
void OpenTemplateManagerWindow(QWidget* parent);
void OpenBatchWindow(QWidget* parent);
void OpenStoreCheckWindow(QWidget* parent);

// The same windows opened on one library, file or template, where the store check found
// something to fix.
void OpenLibraryManagerWindowOn(QWidget* parent, LibraryKind kind, const Text& library);
void OpenLineManagerWindowOn(QWidget* parent, LibraryKind kind, const Text& library,
                             const Text& fileName);
void OpenTemplateManagerWindowOn(QWidget* parent, const Text& fileName);

}  // namespace wordloom
