#include "sentences/sentence_manager_window.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>

#include <algorithm>

#include "sentences/line_grid_model.h"
#include "sentences/sentence_cell_editor.h"
#include "sentences/text_entry_window.h"
#include "services/files.h"
#include "services/ui.h"
#include "services/ui_controls.h"
#include "services/ui_grid.h"
#include "store/line_edits.h"
#include "store/line_replacement.h"
#include "store/store_names.h"
#include "util/file_listing.h"

namespace wordloom {

// What the two twins differ in: names, captions and the word for a line.
struct LineManagerDesign {
  const char* objectName;
  QString caption;
  const char* comboName;
  QString prompt;
  const char* listName;
  const char* gridName;
  QString unit;         // what one line is: 句子, 关键词
  QString libraryWord;  // 句子库, 关键词库
  const char* addButtonName;
  const char* deleteButtonName;
  bool designedSaveButtons;  // the sentence manager's two buttons without an action
};

namespace {

using ui::Warn;

constexpr int kNumberColumn = 0;
constexpr int kLineColumn = 1;

const LineManagerDesign& DesignOf(LibraryKind kind) {
  static const LineManagerDesign sentence{
      "SentenceManagerWindow",
      QStringLiteral("句子管理"),
      "组合框_句子库",
      QStringLiteral("请选择要编辑的句子库"),
      "列表框_句子文件",
      "高级表格_句子列表",
      QStringLiteral("句子"),
      QStringLiteral("句子库"),
      "按钮_添加句子",
      "按钮_删除句子",
      true,
  };
  static const LineManagerDesign keyword{
      "KeywordManagerWindow",
      QStringLiteral("关键词管理"),
      "组合框_关键词库",
      QStringLiteral("请选择要编辑的关键词库"),
      "列表框_关键词文件",
      "高级表格_关键词列表",
      QStringLiteral("关键词"),
      QStringLiteral("关键词库"),
      "按钮_添加关键词",
      "按钮_删除关键词",
      false,
  };
  return kind == LibraryKind::kSentence ? sentence : keyword;
}

// The lines of a typed or pasted block: every kind of line break parts them, and empty
// lines are no lines.
QStringList LinesOfBlock(const QString& block) {
  static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
  QStringList lines = block.split(lineBreak);
  lines.removeAll(QString());
  return lines;
}

}  // namespace

LineManagerWindow::LineManagerWindow(LibraryKind kind, QWidget* parent)
    : QDialog(parent), kind_(kind), design_(DesignOf(kind)) {
  ui::DesignWindow(this, design_.objectName, design_.caption, {1089, 541}, QPoint(50, 50));

  libraryCombo_ = ui::Place(new QComboBox(this), design_.comboName, {4, 21, 160, 20});
  connect(libraryCombo_, &QComboBox::activated, this, &LineManagerWindow::ShowLibraryFiles);

  fileList_ = ui::Place(new QListWidget(this), design_.listName, {4, 44, 160, 428});
  connect(fileList_, &QListWidget::itemDoubleClicked, this, &LineManagerWindow::OpenLibraryFile);

  lines_ = new LineGridModel;
  grid_ = ui::Place(new ui::Grid(lines_, this), design_.gridName, {168, 21, 912, 452});
  UseSentenceCellEditors(grid_);
  connect(grid_, &ui::Grid::EditBegins, this, &LineManagerWindow::RememberCellText);
  connect(grid_, &ui::Grid::EditEnded, this, &LineManagerWindow::SaveEditedLine);

  if (design_.designedSaveButtons) {
    // Every edit is saved when it ends; the two buttons are there as the design has them.
    ui::MakeButton(this, "保存句子1", QStringLiteral("保存句子"), {4, 474, 84, 36});
    ui::MakeButton(this, "保存句子", QStringLiteral("保存句子"), {624, 474, 96, 36});
  }
  QPushButton* newFile =
      ui::MakeButton(this, "按钮_新建文件", QStringLiteral("新建文件"), {92, 474, 72, 36});
  connect(newFile, &QPushButton::clicked, this, &LineManagerWindow::AskForNewFile);
  QPushButton* add = ui::MakeButton(this, design_.addButtonName,
                                    QStringLiteral("添加") + design_.unit, {168, 474, 96, 36});
  connect(add, &QPushButton::clicked, this, &LineManagerWindow::AskForLines);
  QPushButton* remove = ui::MakeButton(this, design_.deleteButtonName,
                                       QStringLiteral("删除") + design_.unit, {268, 474, 96, 36});
  connect(remove, &QPushButton::clicked, this, &LineManagerWindow::DeleteSelectedLines);

  InitLineManager();
}

void LineManagerWindow::InitLineManager() {
  grid_->setColumnWidth(kNumberColumn, 52);
  grid_->setColumnWidth(kLineColumn, 870);
  grid_->SetCellText(0, kNumberColumn, QStringLiteral("序号"));
  grid_->SetCellText(0, kLineColumn, design_.unit);
  grid_->SetAlignment(0, 0, 1, 1, ui::kAlignCentre);

  ui::InsertItem(libraryCombo_, 0, design_.prompt, 0);
  libraryCombo_->setCurrentIndex(0);
  libraryNames_ = ResourceStore::ListLibraries(kind_);
  for (std::size_t i = 0; i < libraryNames_.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    ui::InsertItem(libraryCombo_, k, ui::DisplayName(libraryNames_[i]), k);
  }
}

void LineManagerWindow::ShowLibraryFiles() {
  fileList_->clear();
  const int chosen = libraryCombo_->currentIndex();
  if (chosen <= 0 || static_cast<std::size_t>(chosen) > libraryNames_.size()) return;
  currentLibraryName_ = libraryNames_[static_cast<std::size_t>(chosen) - 1];
  fileNames_.clear();
  // A hand-edited registry may name "../模版" or "a/b"; such a name is no folder of the
  // library parent folder, and its files must not be edited from here.
  if (ResourceStore::IsValidLibraryName(currentLibraryName_)) {
    EnumerateFiles(ResourceStore::LibraryFolder(kind_, currentLibraryName_),
                   names::TextFilePattern(), fileNames_, false, true);
  }
  for (std::size_t i = 0; i < fileNames_.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    ui::InsertItem(fileList_, k - 1, ui::DisplayName(fileNames_[i]), k);
  }
}

void LineManagerWindow::OpenLibraryFile() {
  const int selected = fileList_->currentRow();
  if (selected < 0) return;
  const int number = ui::ItemNumber(fileList_, selected);
  if (number < 1 || static_cast<std::size_t>(number) > fileNames_.size()) return;
  shownLibraryName_ = currentLibraryName_;
  shownFileName_ = fileNames_[static_cast<std::size_t>(number) - 1];
  editedRow_ = -1;

  FileContent file = ReadFile(ShownFilePath());
  if (!file.status) {
    Warn(QStringLiteral("无法读取%1（%2）。")
             .arg(ShownFileDescription(), ui::FileErrorReason(file.status.error)));
  }
  // A file that cannot be read shows no lines; a change to it fails again at its reading.
  lines_->Show(std::move(file.bytes));
  grid_->SetAlignment(1, kLineColumn, grid_->rowCount() - 1, kLineColumn, ui::kAlignLeft);
  grid_->scrollToTop();
}

void LineManagerWindow::RememberCellText() {
  editedRow_ = grid_->currentRow();
  editedColumn_ = grid_->currentColumn();
  cellTextBeforeEdit_ = grid_->CellText(editedRow_, editedColumn_);
}

// The cell whose editing began is the one saved: when the user ends an edit by moving to
// another cell, that cell may already be the current one.
void LineManagerWindow::SaveEditedLine() {
  const int row = editedRow_;
  const int column = editedColumn_;
  editedRow_ = -1;
  if (row < 1 || row > lines_->LineCount() || column != kLineColumn || shownFileName_.empty()) {
    return;
  }
  const QString typed = grid_->CellText(row, column);
  if (typed == cellTextBeforeEdit_) {  // nothing changed: the file stays untouched
    lines_->DropTypedText();
    return;
  }
  const std::optional<Text> after = ui::ContentFromDisplay(typed);
  if (!after) {
    lines_->DropTypedText();
    Warn(QStringLiteral("%1中的字符“%2”不能用 GBK 编码保存，本次修改未保存。")
             .arg(design_.unit, ui::FirstUnsupportedCharacter(typed)));
    return;
  }

  const Text before = lines_->Line(row);
  std::optional<LineReplacement> outcome;  // none when the file was refused before the edit
  std::optional<ByteArray> written = ChangeShownFile([&](ByteArray& bytes) {
    outcome = ReplaceLine(bytes, static_cast<std::size_t>(row), before, *after);
    return outcome == LineReplacement::kReplaced;
  });
  if (written) {
    lines_->LineReplaced(row, std::move(*written));
    return;
  }
  lines_->DropTypedText();
  if (outcome == LineReplacement::kNotOneLine) {
    Warn(QStringLiteral("一个%1只能占一行，不能含有换行符。本次修改未保存。").arg(design_.unit));
  } else if (outcome == LineReplacement::kLineChanged) {
    WarnChangedOnDisk();
  }
}

void LineManagerWindow::AskForNewFile() {
  Text library;
  if (!ChosenLibrary(library)) {
    Warn(QStringLiteral("请先选择一个%1。").arg(design_.libraryWord));
    return;
  }
  ui::OpenWindowModal(
      new TextEntryWindow(this, QStringLiteral("新建文件"),
                          QStringLiteral("在%1“%2”中新建文件，文件名：")
                              .arg(design_.libraryWord, ui::DisplayName(library)),
                          TextEntryWindow::Entry::kOneLine,
                          [this](const QString& typed) { return CreateLibraryFile(typed); }));
}

bool LineManagerWindow::CreateLibraryFile(const QString& typedName) {
  Text library;
  if (!ChosenLibrary(library)) return true;
  if (typedName.isEmpty()) {
    Warn(QStringLiteral("文件名不能为空。"));
    return false;
  }
  Text fileName = ui::NameFromDisplay(typedName);
  if (!MatchesWildcard(fileName, names::TextFilePattern())) fileName += ".txt";
  // The rule that keeps a library name to one folder keeps this name to one file inside
  // the library's folder.
  if (!ResourceStore::IsValidLibraryName(fileName)) {
    Warn(QStringLiteral("文件名中不能含有“/”或“\\”，请换一个名字。"));
    return false;
  }
  const Text path = ResourceStore::LibraryFolder(kind_, library) + names::Separator() + fileName;
  const FileStatus created = ResourceStore::UnderStoreLock([&] {
    const FileStatus folder = ResourceStore::EnsureLibraryFolder(kind_, library);
    return folder ? WriteNewFileBytes(path, {}) : folder;
  });
  if (created.error == EEXIST) {
    Warn(QStringLiteral("文件“%1”已经存在，请换一个名字。").arg(ui::DisplayName(fileName)));
    return false;
  }
  if (!created) {
    Warn(QStringLiteral("无法创建文件“%1”（%2）。")
             .arg(ui::DisplayName(path), ui::FileErrorReason(created.error)));
    return false;
  }
  // The new file is listed and opened, ready for its first lines.
  ShowLibraryFiles();
  const auto found = std::find(fileNames_.begin(), fileNames_.end(), fileName);
  if (found != fileNames_.end()) {
    fileList_->setCurrentRow(static_cast<int>(found - fileNames_.begin()));
    OpenLibraryFile();
  }
  return true;
}

void LineManagerWindow::AskForLines() {
  if (shownFileName_.empty()) {
    Warn(QStringLiteral("请先双击左边的文件，打开要添加%1的文件。").arg(design_.unit));
    return;
  }
  const int after = LastSelectedRow();
  const QString where =
      after > 0 ? QStringLiteral("第 %1 行之后").arg(after) : QStringLiteral("文件末尾");
  ui::OpenWindowModal(new TextEntryWindow(
      this, QStringLiteral("添加") + design_.unit,
      QStringLiteral("每行一个%1，加在%2；可以一次粘贴多行，空行不计。").arg(design_.unit, where),
      TextEntryWindow::Entry::kLines, [this](const QString& typed) { return AddLines(typed); }));
}

bool LineManagerWindow::AddLines(const QString& typed) {
  const QStringList shown = LinesOfBlock(typed);
  if (shown.isEmpty()) {
    Warn(QStringLiteral("没有要添加的%1。").arg(design_.unit));
    return false;
  }
  TextArray lines;
  lines.reserve(static_cast<std::size_t>(shown.size()));
  for (const QString& line : shown) {
    std::optional<Text> bytes = ui::ContentFromDisplay(line);
    if (!bytes) {
      Warn(QStringLiteral("%1中的字符“%2”不能用 GBK 编码保存，没有添加任何%1。")
               .arg(design_.unit, ui::FirstUnsupportedCharacter(line)));
      return false;
    }
    lines.push_back(std::move(*bytes));
  }

  const int after = LastSelectedRow();
  const int first = (after > 0 ? after : lines_->LineCount()) + 1;
  std::optional<LineEdit> outcome;
  std::optional<ByteArray> written = ChangeShownFile([&](ByteArray& bytes) {
    outcome = InsertLines(bytes, static_cast<std::size_t>(first), lines);
    return outcome == LineEdit::kDone;
  });
  if (!written) {
    if (outcome == LineEdit::kNotOneLine) {
      Warn(QStringLiteral("新的%1会与文件中已有的行连在一起（文件的最后一行以半个字符结束），"
                          "没有添加任何%1。")
               .arg(design_.unit));
    }
    return false;
  }
  const int count = static_cast<int>(lines.size());
  lines_->LinesInserted(first, count, std::move(*written));
  const QModelIndex top = lines_->index(first, kLineColumn);
  grid_->selectionModel()->select(
      QItemSelection(top, lines_->index(first + count - 1, kLineColumn)),
      QItemSelectionModel::ClearAndSelect);
  grid_->selectionModel()->setCurrentIndex(top, QItemSelectionModel::NoUpdate);
  grid_->scrollTo(top);
  return true;
}

void LineManagerWindow::DeleteSelectedLines() {
  std::vector<std::size_t> numbers;
  for (const QItemSelectionRange& range : grid_->selectionModel()->selection()) {
    for (int row = std::max(range.top(), 1); row <= range.bottom(); ++row) {
      numbers.push_back(static_cast<std::size_t>(row));
    }
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  if (shownFileName_.empty() || numbers.empty()) {
    Warn(QStringLiteral("请先选择要删除的%1。").arg(design_.unit));
    return;
  }
  if (!ui::Ask(QStringLiteral("是否删除选中的 %1 个%2？").arg(numbers.size()).arg(design_.unit))) {
    return;
  }
  std::optional<ByteArray> written = ChangeShownFile(
      [&](ByteArray& bytes) { return DeleteLines(bytes, numbers) == LineEdit::kDone; });
  if (!written) return;
  // The user stays where the lines were: same scroll position, the line after them current.
  const int scrolled = grid_->verticalScrollBar()->value();
  lines_->LinesDeleted(static_cast<int>(numbers.size()), std::move(*written));
  grid_->verticalScrollBar()->setValue(scrolled);
  const int next = std::min(static_cast<int>(numbers.front()), lines_->LineCount());
  if (next >= 1) {
    grid_->selectionModel()->setCurrentIndex(lines_->index(next, kLineColumn),
                                             QItemSelectionModel::NoUpdate);
  }
}

std::optional<ByteArray> LineManagerWindow::ChangeShownFile(
    const std::function<bool(ByteArray&)>& edit) {
  FileRewrite rewrite = RewriteShownFile(ShownFilePath(), lines_->Bytes(), edit);
  if (rewrite.status.error == kChangedOnDisk) {
    WarnChangedOnDisk();
    return std::nullopt;
  }
  if (!rewrite.status) {
    // The write is atomic: the file still holds what it held.
    Warn(QStringLiteral("无法写入%1（%2），本次修改未保存。")
             .arg(ShownFileDescription(), ui::FileErrorReason(rewrite.status.error)));
    return std::nullopt;
  }
  if (!rewrite.written) return std::nullopt;
  return std::move(rewrite.bytes);
}

void LineManagerWindow::WarnChangedOnDisk() const {
  Warn(QStringLiteral("%1打开之后已在别处被修改。本次修改未保存，请重新打开该文件。")
           .arg(ShownFileDescription()));
}

bool LineManagerWindow::ChosenLibrary(Text& name) const {
  const int chosen = libraryCombo_->currentIndex();
  if (chosen <= 0 || static_cast<std::size_t>(chosen) > libraryNames_.size()) return false;
  name = libraryNames_[static_cast<std::size_t>(chosen) - 1];
  return ResourceStore::IsValidLibraryName(name);
}

int LineManagerWindow::LastSelectedRow() const {
  int last = -1;
  for (const QItemSelectionRange& range : grid_->selectionModel()->selection()) {
    last = std::max(last, range.bottom());
  }
  return std::min(last, lines_->LineCount());
}

Text LineManagerWindow::ShownFilePath() const {
  return ResourceStore::LibraryFolder(kind_, shownLibraryName_) + names::Separator() +
         shownFileName_;
}

QString LineManagerWindow::ShownFileDescription() const {
  return QStringLiteral("%1“%2”中的文件“%3”")
      .arg(design_.libraryWord, ui::DisplayName(shownLibraryName_),
           ui::DisplayName(shownFileName_));
}

}  // namespace wordloom
