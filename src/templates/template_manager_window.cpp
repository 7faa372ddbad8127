#include "templates/template_manager_window.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "services/files.h"
#include "services/ui.h"
#include "services/ui_controls.h"
#include "store/resource_store.h"
#include "store/store_names.h"
#include "templates/template_authoring_panel.h"
#include "templates/template_box.h"
#include "templates/template_file_messages.h"
#include "util/file_listing.h"

namespace wordloom {
namespace {

const TemplatePanelLayout kPanelLayout = {
    .templateBox = {181, 6, 504, 418},
    .sentenceLabel = {696, 3, 128, 20},
    .sentenceList = {690, 27, 160, 185},
    .keywordLabel = {691, 216, 157, 20},
    .keywordList = {690, 239, 160, 185},
    .paragraphButton = {181, 430, 50, 40},
    .headingButton = {234, 430, 60, 40},
    .orderedListButton = {297, 430, 80, 40},
    .unorderedListButton = {380, 430, 80, 40},
    .tabButton = {463, 430, 88, 40},
    .clearButton = {555, 430, 40, 40},
};

// The prefix of every template path: the template folder and the separator.
Text TemplatePrefix() { return ResourceStore::TemplateFolder() + names::Separator(); }

// Removes every exact occurrence (letter case counts).
Text Without(const Text& text, const Text& part) {
  return ReplaceText(text, part, {}, 1, kAllReplacements, true);
}

}  // namespace

TemplateManagerWindow::TemplateManagerWindow(QWidget* parent) : QDialog(parent) {
  ui::DesignWindow(this, "TemplateManagerWindow", QStringLiteral("管理文章模版"), {861, 505});
  templateList_ = new QListWidget(this);
  templateList_->setObjectName(QStringLiteral("列表框_模版列表"));
  templateList_->setGeometry(3, 6, 172, 418);
  // The design gave the delete button the name of an insertion button.
  QPushButton* remove =
      ui::MakeButton(this, "按钮_插入P标签1", QStringLiteral("删除选中的模版"), {3, 432, 172, 40});
  panel_ = new TemplateAuthoringPanel(this, kPanelLayout);
  ui::MakeLabel(this, "标签1", QStringLiteral("文件名："), {612, 439, 48, 24});
  nameBox_ = new QLineEdit(this);
  nameBox_->setObjectName(QStringLiteral("编辑框_文件名"));
  nameBox_->setGeometry(665, 430, 109, 40);
  QPushButton* save =
      ui::MakeButton(this, "按钮_保存", QStringLiteral("保存模版"), {780, 430, 70, 40});

  connect(templateList_, &QListWidget::itemDoubleClicked, this,
          &TemplateManagerWindow::LoadTemplate);
  connect(remove, &QPushButton::clicked, this, &TemplateManagerWindow::DeleteSelectedTemplate);
  connect(save, &QPushButton::clicked, this, [this] { SaveLoadedTemplate(); });
  ListTemplates();
  panel_->FillTagLists();
  // Typing starts in the template box; a list that took the focus would look selected.
  panel_->Box()->setFocus();
}

void TemplateManagerWindow::ListTemplates() {
  const Text folder = ResourceStore::TemplateFolder();
  if (!PathExists(folder)) return;
  EnumerateFiles(folder, names::TextFilePattern(), templatePaths_, true, false);
  const Text prefix = TemplatePrefix();
  for (std::size_t i = 0; i < templatePaths_.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    ui::InsertItem(templateList_, number - 1, ui::DisplayName(Without(templatePaths_[i], prefix)),
                   number);
  }
}

Text TemplateManagerWindow::PathOfItem(int row) const {
  const int number = ui::ItemNumber(templateList_, row);
  if (number < 1 || static_cast<std::size_t>(number) > templatePaths_.size()) return {};
  return templatePaths_[static_cast<std::size_t>(number) - 1];
}

void TemplateManagerWindow::ShowTemplate(const Text& fileName) {
  const Text path = TemplatePrefix() + fileName;
  for (int row = 0; row < templateList_->count(); ++row) {
    if (PathOfItem(row) != path) continue;
    templateList_->setCurrentRow(row);
    LoadTemplate();
    return;
  }
}

void TemplateManagerWindow::reject() {
  if (SettleUnsavedEdits()) QDialog::reject();
}

bool TemplateManagerWindow::SettleUnsavedEdits() {
  if (panel_->Box()->toPlainText() == savedText_) return true;
  const QString question =
      currentTemplatePath_.empty()
          ? QStringLiteral("模版框中的内容还没有保存，是否保存？")
          : QStringLiteral("模版“%1”已修改，是否保存修改？").arg(nameBox_->text());
  switch (ui::AskAboutUnsavedChanges(question)) {
    case ui::UnsavedChoice::kSave:
      return SaveLoadedTemplate();  // a failed save has told the user why; the edits stay
    case ui::UnsavedChoice::kDiscard:
      return true;
    case ui::UnsavedChoice::kGoBack:
      return false;
  }
  return false;
}

void TemplateManagerWindow::LoadTemplate() {
  const Text path = PathOfItem(ui::SelectedRow(templateList_));
  if (path.empty()) return;
  if (!SettleUnsavedEdits()) return;
  FileContent file = ReadFile(path);
  if (!file.status) {
    WarnTemplateNotRead(path, file.status);
    return;
  }
  currentTemplatePath_ = path;
  loadedBytes_ = std::move(file.bytes);
  panel_->ShowFile(*loadedBytes_);
  savedText_ = panel_->Box()->toPlainText();
  nameBox_->setText(ui::DisplayName(Without(Without(path, TemplatePrefix()), ".txt")));
}

bool TemplateManagerWindow::SaveLoadedTemplate() {
  if (panel_->IsEmpty()) {
    ui::Warn(QStringLiteral("模版不能为空。"));
    ui::FocusControl(panel_->Box());
    return false;
  }
  // The name box only shows the loaded name: the file written is the one that was loaded.
  if (nameBox_->text().isEmpty() || currentTemplatePath_.empty()) {
    ui::Warn(QStringLiteral("请<双击>选中需要编辑的模版！"));
    templateList_->setCurrentRow(0);
    return false;
  }
  const QString shown = panel_->Box()->toPlainText();
  const std::optional<ByteArray> content = panel_->ContentToSave();
  if (!content) return false;
  const FileStatus written = ResourceStore::UnderStoreLock([&] {
    const FileContent now = ReadFile(currentTemplatePath_);
    if (!now.status && !now.status.missing()) return now.status;
    const bool unchanged = now.status.missing() ? !loadedBytes_ : now.bytes == loadedBytes_;
    if (!unchanged) return FileStatus::Failed(kChangedOnDisk);
    return WriteFileBytes(currentTemplatePath_, *content);
  });
  if (written.error == kChangedOnDisk) {
    ui::Warn(QStringLiteral("模版文件“%1”在载入之后已在别处被修改或删除，为了不覆盖别处的修改，"
                            "本次没有保存。请重新双击载入该模版后再修改。")
                 .arg(ui::DisplayName(currentTemplatePath_)));
    return false;
  }
  if (!written) {
    WarnTemplateNotWritten(currentTemplatePath_, written);
    return false;
  }
  loadedBytes_ = *content;
  savedText_ = shown;
  ui::Inform(QStringLiteral("保存成功！"));
  return true;
}

void TemplateManagerWindow::DeleteSelectedTemplate() {
  const int row = ui::SelectedRow(templateList_);
  if (row < 0) {
    ui::Warn(QStringLiteral("请选择您要删除的模版。"));
    return;
  }
  if (!ui::Ask(QStringLiteral("您确定要删除当前选中的模版吗？"))) return;
  const Text path = PathOfItem(row);
  // A file that is gone already is what the user wanted; one still there is not.
  if (const FileStatus removed = RemoveFile(path);
      !path.empty() && !removed && !removed.missing()) {
    WarnTemplateNotDeleted(path, removed);
    return;
  }
  if (path == currentTemplatePath_) loadedBytes_.reset();  // a save may write it again
  emit TemplatesChanged();
  ui::DeleteItem(templateList_, row);
  // No item is selected afterwards: a second click must not delete the neighbour.
  templateList_->setCurrentRow(-1);
}

}  // namespace wordloom
