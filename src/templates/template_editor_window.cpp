#include "templates/template_editor_window.h"

#include <QLineEdit>
#include <QPushButton>

#include "services/files.h"
#include "services/ui.h"
#include "services/ui_controls.h"
#include "store/resource_store.h"
#include "templates/template_authoring_panel.h"
#include "templates/template_box.h"
#include "templates/template_file_messages.h"

namespace wordloom {
namespace {

const TemplatePanelLayout kPanelLayout = {
    .templateBox = {5, 6, 504, 418},
    .sentenceLabel = {520, 3, 128, 20},
    .sentenceList = {514, 27, 160, 185},
    .keywordLabel = {515, 216, 157, 20},
    .keywordList = {514, 239, 160, 185},
    .paragraphButton = {4, 430, 50, 40},
    .headingButton = {57, 430, 60, 40},
    .orderedListButton = {120, 430, 80, 40},
    .unorderedListButton = {203, 430, 80, 40},
    .tabButton = {286, 430, 88, 40},
    .clearButton = {378, 430, 40, 40},
};

}  // namespace

TemplateEditorWindow::TemplateEditorWindow(QWidget* parent) : QDialog(parent) {
  ui::DesignWindow(this, "TemplateEditorWindow", QStringLiteral("新建内容模版"), {686, 505});
  panel_ = new TemplateAuthoringPanel(this, kPanelLayout);
  ui::MakeLabel(this, "标签1", QStringLiteral("文件名："), {436, 439, 48, 24});
  nameBox_ = new QLineEdit(this);
  nameBox_->setObjectName(QStringLiteral("编辑框_文件名"));
  nameBox_->setGeometry(489, 430, 109, 40);
  QPushButton* save =
      ui::MakeButton(this, "按钮_保存", QStringLiteral("保存模版"), {604, 430, 70, 40});
  connect(save, &QPushButton::clicked, this, [this] { SaveNewTemplate(); });
  panel_->FillTagLists();
  // Typing starts in the template box; a list that took the focus would look selected.
  panel_->Box()->setFocus();
}

void TemplateEditorWindow::reject() {
  if (panel_->Box()->toPlainText() != savedText_) {
    switch (ui::AskAboutUnsavedChanges(QStringLiteral("模版还没有保存，是否保存？"))) {
      case ui::UnsavedChoice::kSave:
        if (!SaveNewTemplate()) return;  // the user has been told why; the text stays
        break;
      case ui::UnsavedChoice::kDiscard:
        break;
      case ui::UnsavedChoice::kGoBack:
        return;
    }
  }
  QDialog::reject();
}

bool TemplateEditorWindow::SaveNewTemplate() {
  if (panel_->IsEmpty()) {
    ui::Warn(QStringLiteral("模版不能为空。"));
    ui::FocusControl(panel_->Box());
    return false;
  }
  const QString typedName = nameBox_->text();
  if (typedName.isEmpty()) {
    ui::Warn(QStringLiteral("文件名不能为空，为您的模版文件起个名字吧。"));
    ui::FocusControl(nameBox_);
    return false;
  }
  const Text fileName = ui::NameFromDisplay(typedName) + ".txt";
  // The rule that keeps a library name to one folder keeps this name to one file inside
  // the template folder: no "/", no "\", no NUL.
  if (!ResourceStore::IsValidLibraryName(fileName)) {
    WarnNameLeavesFolder();
    ui::FocusControl(nameBox_);
    return false;
  }
  const QString shown = panel_->Box()->toPlainText();
  const std::optional<ByteArray> content = panel_->ContentToSave();
  if (!content) return false;

  const Text folder = ResourceStore::TemplateFolder();
  const Text path = ResourceStore::TemplatePath(fileName);
  if (PathExists(folder)) {
    if (PathExists(path) && !ui::Ask(QStringLiteral("文件名已经存在，是否覆盖。"))) return false;
  } else if (const FileStatus made = MakeDirectory(folder); !made && !IsDirectory(folder)) {
    WarnFolderNotCreated(folder, made);
    return false;
  }
  const FileStatus written =
      ResourceStore::UnderStoreLock([&] { return WriteFileBytes(path, *content); });
  if (!written) {
    WarnTemplateNotWritten(path, written);
    return false;
  }
  savedText_ = shown;
  ui::Inform(QStringLiteral("保存成功！"));
  emit TemplatesChanged();
  return true;
}

}  // namespace wordloom
