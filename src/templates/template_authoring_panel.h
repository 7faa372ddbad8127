// The authoring tools both template windows share: the template box, the sentence and
// keyword tag lists, the five insertion buttons, the TAB key and the clear button.
#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <optional>

#include "services/text.h"
#include "store/resource_store.h"
#include "templates/template_file_text.h"

class QListWidget;
class QWidget;

namespace wordloom {

class TemplateBox;

// Where the panel's controls stand in its window.
struct TemplatePanelLayout {
  QRect templateBox;
  QRect sentenceLabel, sentenceList, keywordLabel, keywordList;
  QRect paragraphButton, headingButton, orderedListButton, unorderedListButton, tabButton;
  QRect clearButton;
};

class TemplateAuthoringPanel : public QObject {
  Q_OBJECT

 public:
  // Creates the panel's controls in `window`; the panel lives as long as the window.
  TemplateAuthoringPanel(QWidget* window, const TemplatePanelLayout& layout);

  // Lists every library of both registries as name + "：" + tag, item number = position.
  void FillTagLists();
  // Inserts the tag that the registry holds now for the selected item's position.
  void InsertCallTag(LibraryKind kind);
  // Replaces the box's selection (or inserts at its caret) with the text.
  void InsertSnippet(const Text& snippet);

  TemplateBox* Box() const { return box_; }
  bool IsEmpty() const;
  // Shows a template file's content in place of whatever the box held.
  void ShowFile(const ByteArray& bytes);
  // The bytes to write for the box's content. Nothing when a character cannot be saved; the
  // user has then been told which one.
  std::optional<ByteArray> ContentToSave() const;

 private:
  void TextChanged(int position);

  TemplateBox* box_ = nullptr;
  QListWidget* sentenceList_ = nullptr;
  QListWidget* keywordList_ = nullptr;
  TemplateFileText fileText_;
  QString shown_;  // the box's text as of the last change seen
  bool loading_ = false;
};

}  // namespace wordloom
