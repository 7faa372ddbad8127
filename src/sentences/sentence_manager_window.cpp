#include "sentences/sentence_manager_window.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

#include "sentences/sentence_cell_editor.h"
#include "services/files.h"
#include "services/ui.h"
#include "services/ui_controls.h"
#include "services/ui_grid.h"
#include "store/line_replacement.h"
#include "store/resource_store.h"
#include "store/store_names.h"
#include "util/file_listing.h"

namespace wordloom {
namespace {

constexpr int kNumberColumn = 0;
constexpr int kSentenceColumn = 1;

}  // namespace

SentenceManagerWindow::SentenceManagerWindow(QWidget* parent) : QDialog(parent) {
  ui::DesignWindow(this, "SentenceManagerWindow", QStringLiteral("句子管理"), {1089, 541},
                   QPoint(50, 50));

  libraryCombo_ = ui::Place(new QComboBox(this), "组合框_句子库", {4, 21, 160, 20});
  connect(libraryCombo_, &QComboBox::activated, this, &SentenceManagerWindow::ShowLibraryFiles);

  fileList_ = ui::Place(new QListWidget(this), "列表框_句子文件", {4, 44, 160, 428});
  connect(fileList_, &QListWidget::itemDoubleClicked, this,
          &SentenceManagerWindow::OpenSentenceFile);

  grid_ = ui::Place(new ui::Grid(2, this), "高级表格_句子列表", {168, 21, 912, 452});
  UseSentenceCellEditors(grid_);
  connect(grid_, &ui::Grid::EditBegins, this, &SentenceManagerWindow::RememberCellText);
  connect(grid_, &ui::Grid::EditEnded, this, &SentenceManagerWindow::SaveEditedSentence);

  // Every edit is saved when it ends; the two buttons are there as the design has them.
  ui::MakeButton(this, "保存句子1", QStringLiteral("保存句子"), {4, 474, 84, 36});
  ui::MakeButton(this, "保存句子", QStringLiteral("保存句子"), {624, 474, 96, 36});

  InitSentenceManager();
}

void SentenceManagerWindow::InitSentenceManager() {
  grid_->setColumnWidth(kNumberColumn, 52);
  grid_->setColumnWidth(kSentenceColumn, 870);
  grid_->SetCellText(0, kNumberColumn, QStringLiteral("序号"));
  grid_->SetCellText(0, kSentenceColumn, QStringLiteral("句子"));
  grid_->SetAlignment(0, 0, 1, 1, ui::kAlignCentre);

  ui::InsertItem(libraryCombo_, 0, QStringLiteral("请选择要编辑的句子库"), 0);
  libraryCombo_->setCurrentIndex(0);
  libraryNames_ = ResourceStore::ListLibraries(LibraryKind::kSentence);
  for (std::size_t i = 0; i < libraryNames_.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    ui::InsertItem(libraryCombo_, k, ui::DisplayName(libraryNames_[i]), k);
  }
}

void SentenceManagerWindow::ShowLibraryFiles() {
  fileList_->clear();
  const int chosen = libraryCombo_->currentIndex();
  if (chosen <= 0 || static_cast<std::size_t>(chosen) > libraryNames_.size()) return;
  currentLibraryName_ = libraryNames_[static_cast<std::size_t>(chosen) - 1];
  fileNames_.clear();
  // A hand-edited registry may name "../模版" or "a/b"; such a name is no folder of the
  // sentence library parent folder, and its files must not be edited from here.
  if (ResourceStore::IsValidLibraryName(currentLibraryName_)) {
    EnumerateFiles(ResourceStore::LibraryFolder(LibraryKind::kSentence, currentLibraryName_),
                   names::TextFilePattern(), fileNames_, false, true);
  }
  for (std::size_t i = 0; i < fileNames_.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    ui::InsertItem(fileList_, k - 1, ui::DisplayName(fileNames_[i]), k);
  }
}

void SentenceManagerWindow::ShowFile(const Text& library, const Text& fileName) {
  const auto listed = std::find(libraryNames_.begin(), libraryNames_.end(), library);
  if (listed == libraryNames_.end()) return;
  libraryCombo_->setCurrentIndex(static_cast<int>(listed - libraryNames_.begin()) + 1);
  ShowLibraryFiles();
  const auto file = std::find(fileNames_.begin(), fileNames_.end(), fileName);
  if (file == fileNames_.end()) return;
  const int number = static_cast<int>(file - fileNames_.begin()) + 1;
  for (int row = 0; row < fileList_->count(); ++row) {
    if (ui::ItemNumber(fileList_, row) != number) continue;
    fileList_->setCurrentRow(row);
    OpenSentenceFile();
    return;
  }
}

void SentenceManagerWindow::OpenSentenceFile() {
  const int selected = fileList_->currentRow();
  if (selected < 0) return;
  const int number = ui::ItemNumber(fileList_, selected);
  if (number < 1 || static_cast<std::size_t>(number) > fileNames_.size()) return;
  shownLibraryName_ = currentLibraryName_;
  shownFileName_ = fileNames_[static_cast<std::size_t>(number) - 1];
  editedRow_ = -1;

  const FileContent file = ReadFile(ShownFilePath());
  if (!file.status) {
    ui::Warn(QStringLiteral("无法读取%1（%2）。")
                 .arg(ShownFileDescription(), ui::FileErrorReason(file.status.error)));
  }
  const TextArray lines = ResourceStore::SplitLines(ToText(file.bytes));
  grid_->setUpdatesEnabled(false);
  grid_->RemoveDataRows();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    grid_->InsertDataRow(QString::number(row));
    grid_->SetCellText(row, kSentenceColumn, ui::Display(lines[i]));
  }
  grid_->SetAlignment(1, kSentenceColumn, grid_->rowCount() - 1, kSentenceColumn, ui::kAlignLeft);
  grid_->setUpdatesEnabled(true);
}

void SentenceManagerWindow::RememberCellText() {
  editedRow_ = grid_->currentRow();
  editedColumn_ = grid_->currentColumn();
  cellTextBeforeEdit_ = grid_->CellText(editedRow_, editedColumn_);
}

// The cell whose editing began is the one saved: when the user ends an edit by moving to
// another cell, that cell may already be the current one.
void SentenceManagerWindow::SaveEditedSentence() {
  const int row = editedRow_;
  const int column = editedColumn_;
  editedRow_ = -1;
  if (row < 1 || column != kSentenceColumn || shownFileName_.empty()) return;
  const QString typed = grid_->CellText(row, column);
  if (typed == cellTextBeforeEdit_) return;  // nothing changed: the file stays untouched

  const std::optional<Text> before = ui::ContentFromDisplay(cellTextBeforeEdit_);
  const std::optional<Text> after = ui::ContentFromDisplay(typed);
  if (!after) {
    PutCellBack(row, cellTextBeforeEdit_);
    ui::Warn(QStringLiteral("句子中的字符“%1”不能用 GBK 编码保存，本次修改未保存。")
                 .arg(ui::FirstUnsupportedCharacter(typed)));
    return;
  }

  const Text path = ShownFilePath();
  LineReplacement outcome = LineReplacement::kLineChanged;
  const FileStatus written = ResourceStore::UnderStoreLock([&] {
    FileContent file = ReadFile(path);
    if (!file.status) return file.status;
    outcome = before ? ReplaceLine(file.bytes, static_cast<std::size_t>(row), *before, *after)
                     : LineReplacement::kLineChanged;
    return outcome == LineReplacement::kReplaced ? WriteFileBytes(path, file.bytes)
                                                 : FileStatus::Done();
  });
  if (!written) {
    // The write is atomic: the file still holds the line as it was before the edit.
    PutCellBack(row, cellTextBeforeEdit_);
    ui::Warn(QStringLiteral("无法写入%1（%2），本次修改未保存。")
                 .arg(ShownFileDescription(), ui::FileErrorReason(written.error)));
    return;
  }
  switch (outcome) {
    case LineReplacement::kLineChanged:
      PutCellBack(row, cellTextBeforeEdit_);
      ui::Warn(QStringLiteral("%1已在别处被修改，第 %2 行已不是编辑前的内容。本次修改未保存，"
                              "请重新打开该文件。")
                   .arg(ShownFileDescription())
                   .arg(row));
      return;
    case LineReplacement::kNotOneLine:
      PutCellBack(row, cellTextBeforeEdit_);
      ui::Warn(QStringLiteral("一个句子只能占一行，不能含有换行符。本次修改未保存。"));
      return;
    case LineReplacement::kReplaced:
      return;
  }
}

Text SentenceManagerWindow::ShownFilePath() const {
  return ResourceStore::LibraryFolder(LibraryKind::kSentence, shownLibraryName_) +
         names::Separator() + shownFileName_;
}

QString SentenceManagerWindow::ShownFileDescription() const {
  return QStringLiteral("句子库“%1”中的文件“%2”")
      .arg(ui::DisplayName(shownLibraryName_), ui::DisplayName(shownFileName_));
}

void SentenceManagerWindow::PutCellBack(int row, const QString& text) {
  grid_->SetCellText(row, kSentenceColumn, text);
}

}  // namespace wordloom
