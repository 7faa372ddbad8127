// The windows the main window opens, each modally over `parent`.
#pragma once

class QWidget;

namespace wordloom {

void OpenNewSentenceLibraryWindow(QWidget* parent);
void OpenSentenceLibraryManagerWindow(QWidget* parent);
void OpenNewKeywordLibraryWindow(QWidget* parent);
void OpenKeywordLibraryManagerWindow(QWidget* parent);
void OpenSentenceManagerWindow(QWidget* parent);
void OpenTemplateEditorWindow(QWidget* parent);
void OpenTemplateManagerWindow(QWidget* parent);
void OpenBatchWindow(QWidget* parent);

}  // namespace wordloom
