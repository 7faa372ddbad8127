// The template editor: writes a new template and saves it under the typed name.
#pragma once

#include <QDialog>

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

 private:
  void SaveNewTemplate();

  TemplateAuthoringPanel* panel_ = nullptr;
  QLineEdit* nameBox_ = nullptr;
};

}  // namespace wordloom
