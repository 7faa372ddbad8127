// The template manager: lists the template files, loads one on a double-click, saves the
// edited text back into that file and deletes templates.
#pragma once

#include <QDialog>
#include <QString>

#include <optional>

#include "services/text.h"

class QLineEdit;
class QListWidget;

namespace wordloom {

class TemplateAuthoringPanel;

class TemplateManagerWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TemplateManagerWindow(QWidget* parent = nullptr);

  // Selects the template and loads it, as a double-click on it does; nothing when no
  // listed file has that name.
  void ShowTemplate(const Text& fileName);

  // Full paths of the template files as listed at opening; item i of the list carries i.
  // A deletion leaves it as it is, so the remaining items keep their files.
  const TextArray& TemplatePaths() const { return templatePaths_; }
  // The file the last double-click loaded, where a save writes; empty until then.
  const Text& CurrentTemplatePath() const { return currentTemplatePath_; }

 signals:
  // A template file was deleted: lists of templates are out of date.
  void TemplatesChanged();

 public slots:
  // Closing (the close button, Escape) with unsaved edits asks first: save, discard or go
  // back.
  void reject() override;

 private:
  void ListTemplates();
  // Loading another template over unsaved edits asks first, as closing does.
  void LoadTemplate();
  bool SaveLoadedTemplate();  // true when the template was written
  // Asks about unsaved edits; true when the caller may go on (saved or discarded).
  bool SettleUnsavedEdits();
  void DeleteSelectedTemplate();
  // The path of the list item at `row`, or empty when its number names no listed file.
  Text PathOfItem(int row) const;

  QListWidget* templateList_ = nullptr;
  TemplateAuthoringPanel* panel_ = nullptr;
  QLineEdit* nameBox_ = nullptr;
  TextArray templatePaths_;
  Text currentTemplatePath_;
  // The file's bytes as loaded or last saved (nothing once this window deleted it): a save
  // finds out whether another program changed the file since, and then refuses to
  // overwrite it.
  std::optional<ByteArray> loadedBytes_;
  QString savedText_;  // the template box's text as last loaded or saved
};

}  // namespace wordloom
