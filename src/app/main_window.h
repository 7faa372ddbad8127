// The main window: the generated article, the template list, the generate button, the
// buttons that open the other windows (the designed seven and the tools column) and the
// advertisement viewer.
#pragma once

#include <QWidget>

#include "services/text.h"

class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QTextBrowser;

namespace wordloom {

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);

  // Rebuilds the template list; the selection returns to the prompt entry.
  void RefreshTemplateList();

  // The column of tools right of the designed area, one button a slot, top to bottom.
  static constexpr int kToolColumnWidth = 120;
  enum class ToolSlot { kCopyArticle, kPreview, kBatch, kStoreCheck, kKeywordManager };

  const TextArray& TemplateFileList() const { return templateFileList_; }
  const Text& SelectedTemplateName() const { return selectedTemplateName_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillTemplateList();
  void TemplateChosen(int index);
  void StartGeneration();
  void GenerationWorker();
  void CopyArticle();
  // Shows the article rendered as a web page, in a window of its own.
  void PreviewArticle();
  QPushButton* AddToolButton(ToolSlot slot, const char* designName, const QString& caption);

  QPlainTextEdit* output_ = nullptr;
  QComboBox* templateList_ = nullptr;
  QPushButton* generateButton_ = nullptr;
  QTextBrowser* advertisement_ = nullptr;
  QGroupBox* tools_ = nullptr;

  TextArray templateFileList_;
  Text selectedTemplateName_;
};

}  // namespace wordloom
