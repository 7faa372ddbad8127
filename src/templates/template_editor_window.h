// The template editor: writes a new template and saves it under the typed name.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace wordloom {

class TemplateAuthoringPanel;

class TemplateEditorWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TemplateEditorWindow(QWidget* parent = nullptr);

 signals:
  // A template file was written: lists of templates are out of date.
  void TemplatesChanged();

 public slots:
  // Closing (the close button, Escape) with unsaved text asks first: save, discard or go
  // back.
  void reject() override;

 private:
  bool SaveNewTemplate();  // true when the template was written

  TemplateAuthoringPanel* panel_ = nullptr;
  QLineEdit* nameBox_ = nullptr;
  QString savedText_;  // the template box's text as last saved; empty until then
};

}  // namespace wordloom
