#include "sentences/sentence_manager_window.h"

#include <QComboBox>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>

#include <algorithm>

#include "sentences/import_window.h"
#include "sentences/line_change.h"
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

// How many lines with characters GBK cannot hold the import window lists.
constexpr int kListedUnmappableLines = 500;

QString SourceName(const import::ImportSource& source) {
  return QFileInfo(ui::DisplayName(source.path)).fileName();
}

QString EncodingOf(const import::ImportSource& source) {
  const QString name = QString::fromStdString(source.encoding);
  return source.byteOrderMark ? QStringLiteral("%1，带 BOM").arg(name) : name;
}

QString SourceProblem(const import::ImportSource& source) {
  switch (source.problem) {
    case import::SourceProblem::kUnreadable:
      return QStringLiteral("无法读取（%1）").arg(ui::FileErrorReason(source.status.error));
    case import::SourceProblem::kUnrecognised:
      return QStringLiteral("无法识别它的编码");
    case import::SourceProblem::kUnknownEncoding:
      return QStringLiteral("它的编码“%1”无法转换").arg(QString::fromStdString(source.encoding));
    case import::SourceProblem::kNotText:
      return QStringLiteral("不是文本文件（含有 NUL 字符）");
    case import::SourceProblem::kNone:
      break;
  }
  return {};
}

// The characters with their code points: a font may have no glyph for them.
QString NameCharacters(const std::u16string& characters) {
  QStringList named;
  for (const char32_t c : QString::fromStdU16String(characters).toUcs4()) {
    named << QStringLiteral("%1 U+%2").arg(
        QString::fromUcs4(&c, 1),
        QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, QLatin1Char('0')));
  }
  return named.join(QStringLiteral("，"));
}

QString DescribeSource(const import::ImportSource& source) {
  if (!source.ok()) {
    return QStringLiteral("%1：%2，不导入").arg(SourceName(source), SourceProblem(source));
  }
  QString text = QStringLiteral("%1：%2，%3 行")
                     .arg(SourceName(source), EncodingOf(source))
                     .arg(source.lines.size());
  if (source.undecodableBytes > 0) {
    text += QStringLiteral("，%1 处无法按这种编码解码").arg(source.undecodableBytes);
  }
  return text;
}

QString DescribeOutcome(const import::ImportSource& source, const import::ImportOutcome& done,
                        const import::ImportOptions& options) {
  if (!source.ok()) return DescribeSource(source);
  const QString head = QStringLiteral("%1（%2）：").arg(SourceName(source), EncodingOf(source));
  if (!done.status) {
    return head +
           QStringLiteral("无法写入（%1），未导入").arg(ui::FileErrorReason(done.status.error));
  }
  // Each count only where it can be other than zero: the summary stays one short line.
  QString counts = QStringLiteral("导入 %1 行").arg(done.imported);
  if (options.dropDuplicates) counts += QStringLiteral("，重复 %1 行").arg(done.duplicates);
  const bool dropCharacters = options.unmappable == import::UnmappablePolicy::kDropCharacters;
  if (done.unmappableSkipped > 0) {
    counts +=
        dropCharacters
            ? QStringLiteral("，跳过 %1 行（只有 GBK 无法保存的字符）").arg(done.unmappableSkipped)
            : QStringLiteral("，跳过 %1 行（含 GBK 无法保存的字符）").arg(done.unmappableSkipped);
  }
  if (done.charactersDropped > 0) {
    counts += QStringLiteral("，去掉 %1 个 GBK 无法保存的字符").arg(done.charactersDropped);
  }
  if (done.fileName.empty()) return head + counts + QStringLiteral("；没有可写的行，未建文件");
  return head + counts + QStringLiteral("；存为“%1”").arg(ui::DisplayName(done.fileName));
}

}  // namespace

LineManagerWindow::LineManagerWindow(LibraryKind kind, QWidget* parent)
    : QDialog(parent), kind_(kind), design_(DesignOf(kind)) {
  ui::DesignWindow(this, design_.objectName, design_.caption, {1089, 541}, QPoint(50, 50));

  libraryCombo_ = ui::Place(new QComboBox(this), design_.comboName, {4, 21, 160, 20});
  connect(libraryCombo_, &QComboBox::activated, this, &LineManagerWindow::ShowLibraryFiles);

  fileList_ = ui::Place(new QListWidget(this), design_.listName, {4, 44, 160, 428});
  ui::KeepListRowsEven(fileList_);
  connect(fileList_, &QListWidget::itemDoubleClicked, this, &LineManagerWindow::OpenLibraryFile);

  lines_ = new LineGridModel;
  grid_ = ui::Place(new ui::Grid(lines_, this), design_.gridName, {168, 21, 912, 452});
  UseSentenceCellEditors(grid_);
  connect(grid_, &ui::Grid::EditBegins, this, &LineManagerWindow::RememberCellText);
  connect(grid_, &ui::Grid::EditEnded, this, &LineManagerWindow::SaveEditedLine);
  gridEditTriggers_ = grid_->editTriggers();

  if (design_.designedSaveButtons) {
    // Every edit is saved when it ends; the two buttons are there as the design has them.
    ui::MakeButton(this, "保存句子1", QStringLiteral("保存句子"), {4, 474, 84, 36});
    ui::MakeButton(this, "保存句子", QStringLiteral("保存句子"), {624, 474, 96, 36});
  }
  newFileButton_ =
      ui::MakeButton(this, "按钮_新建文件", QStringLiteral("新建文件"), {92, 474, 72, 36});
  connect(newFileButton_, &QPushButton::clicked, this, &LineManagerWindow::AskForNewFile);
  addButton_ = ui::MakeButton(this, design_.addButtonName, QStringLiteral("添加") + design_.unit,
                              {168, 474, 96, 36});
  connect(addButton_, &QPushButton::clicked, this, &LineManagerWindow::AskForLines);
  deleteButton_ = ui::MakeButton(this, design_.deleteButtonName,
                                 QStringLiteral("删除") + design_.unit, {268, 474, 96, 36});
  connect(deleteButton_, &QPushButton::clicked, this, &LineManagerWindow::DeleteSelectedLines);
  importButton_ =
      ui::MakeButton(this, "按钮_导入文本", QStringLiteral("导入文本"), {368, 474, 96, 36});
  importButton_->setToolTip(QStringLiteral("把文本文件（任何常见编码）的各行导入为所选%1的新文件")
                                .arg(design_.libraryWord));
  connect(importButton_, &QPushButton::clicked, this, &LineManagerWindow::ImportTexts);
  exportButton_ = ui::MakeButton(this, "按钮_导出", QStringLiteral("导出"), {468, 474, 96, 36});
  exportButton_->setToolTip(
      QStringLiteral("把所选%1所有文件的行导出为一个 UTF-8 文本文件").arg(design_.libraryWord));
  connect(exportButton_, &QPushButton::clicked, this, &LineManagerWindow::ExportLibrary);
  // Says when a change is being written; empty otherwise.
  status_ = ui::MakeLabel(this, "标签_状态", QString(), {728, 474, 352, 36});

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

void LineManagerWindow::ShowFile(const Text& library, const Text& fileName) {
  if (changeRunning_) return;  // the change in progress belongs to the file shown
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
    OpenLibraryFile();
    return;
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

  // The typed text stays in the cell while it is written.
  const Text before = lines_->Line(row);
  // None when the file was refused before the edit; written on the worker, read after it.
  auto outcome = std::make_shared<std::optional<LineReplacement>>();
  const bool started = ChangeShownFile(
      [outcome, row, before, after = *after](ByteArray& bytes) {
        *outcome = ReplaceLine(bytes, static_cast<std::size_t>(row), before, after);
        return *outcome == LineReplacement::kReplaced;
      },
      [outcome, row, unit = design_.unit, description = ShownFileDescription()](
          const QPointer<LineManagerWindow>& window, std::optional<LineFile> written) {
        if (written) {
          if (window) window->lines_->LineReplaced(row, std::move(*written));
          return;
        }
        if (window) window->lines_->DropTypedText();
        if (*outcome == LineReplacement::kNotOneLine) {
          Warn(QStringLiteral("一个%1只能占一行，不能含有换行符。本次修改未保存。").arg(unit));
        } else if (*outcome == LineReplacement::kLineChanged) {
          WarnChangedOnDisk(description);
        }
      });
  if (!started) lines_->DropTypedText();
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
  lineEntry_ = new TextEntryWindow(
      this, QStringLiteral("添加") + design_.unit,
      QStringLiteral("每行一个%1，加在%2；可以一次粘贴多行，空行不计。").arg(design_.unit, where),
      TextEntryWindow::Entry::kLines, [this](const QString& typed) { return AddLines(typed); });
  ui::OpenWindowModal(lineEntry_);
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
  const int count = static_cast<int>(lines.size());
  auto outcome = std::make_shared<std::optional<LineEdit>>();
  // The entry window waits, disabled, while the lines are written: it closes when they
  // are, and keeps them for the user to mend after a refusal.
  const QPointer<QDialog> entry = lineEntry_;
  if (entry) entry->setEnabled(false);
  const bool started = ChangeShownFile(
      [outcome, first, lines = std::move(lines)](ByteArray& bytes) {
        *outcome = InsertLines(bytes, static_cast<std::size_t>(first), lines);
        return *outcome == LineEdit::kDone;
      },
      [outcome, first, count, unit = design_.unit, entry](const QPointer<LineManagerWindow>& window,
                                                          std::optional<LineFile> written) {
        if (entry) entry->setEnabled(true);
        if (!written) {
          if (*outcome == LineEdit::kNotOneLine) {
            Warn(QStringLiteral("新的%1会与文件中已有的行连在一起（文件的最后一行以半个字符结束），"
                                "没有添加任何%1。")
                     .arg(unit));
          }
          return;
        }
        if (entry) entry->accept();
        if (!window) return;
        window->lines_->LinesInserted(first, count, std::move(*written));
        const QModelIndex top = window->lines_->index(first, kLineColumn);
        window->grid_->selectionModel()->select(
            QItemSelection(top, window->lines_->index(first + count - 1, kLineColumn)),
            QItemSelectionModel::ClearAndSelect);
        window->grid_->selectionModel()->setCurrentIndex(top, QItemSelectionModel::NoUpdate);
        window->grid_->scrollTo(top);
      });
  if (!started && entry) entry->setEnabled(true);
  return false;
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
  const int count = static_cast<int>(numbers.size());
  const int front = static_cast<int>(numbers.front());
  ChangeShownFile(
      [numbers = std::move(numbers)](ByteArray& bytes) {
        return DeleteLines(bytes, numbers) == LineEdit::kDone;
      },
      [count, front](const QPointer<LineManagerWindow>& window, std::optional<LineFile> written) {
        if (!written || !window) return;
        // The user stays where the lines were: same scroll position, the line after them
        // current.
        ui::Grid* grid = window->grid_;
        const int scrolled = grid->verticalScrollBar()->value();
        window->lines_->LinesDeleted(count, std::move(*written));
        grid->verticalScrollBar()->setValue(scrolled);
        const int next = std::min(front, window->lines_->LineCount());
        if (next >= 1) {
          grid->selectionModel()->setCurrentIndex(window->lines_->index(next, kLineColumn),
                                                  QItemSelectionModel::NoUpdate);
        }
      });
}

void LineManagerWindow::ImportTexts() {
  Text library;
  if (!ChosenLibrary(library)) {
    Warn(QStringLiteral("请先选择一个%1，导入的文本将成为它的新文件。").arg(design_.libraryWord));
    return;
  }
  const QStringList picked =
      ui::ChooseFilesToOpen(this, QStringLiteral("选择要导入的文本文件（可以多选）"));
  if (picked.isEmpty()) return;
  std::vector<Text> paths;
  for (const QString& path : picked) paths.push_back(ui::NameFromDisplay(path));

  SetTransfersEnabled(false);
  const bool started =
      ui::StartThread([window = QPointer<LineManagerWindow>(this), library, paths] {
        auto sources = std::make_shared<std::vector<import::ImportSource>>();
        for (const Text& path : paths) sources->push_back(import::ReadImportSource(path));
        ui::RunOnUiThread([&] {
          if (window) window->ChooseImportOptions(library, sources);
        });
      });
  if (!started) {
    SetTransfersEnabled(true);
    Warn(QStringLiteral("无法启动导入的线程，请稍后再试。"));
  }
}

void LineManagerWindow::ChooseImportOptions(
    const Text& library, const std::shared_ptr<std::vector<import::ImportSource>>& sources) {
  QStringList files;
  QStringList unmappable;
  bool anyReadable = false;
  for (const import::ImportSource& source : *sources) {
    files << DescribeSource(source);
    if (!source.ok()) continue;
    anyReadable = true;
    for (const import::UnmappableLine& line : source.unmappable) {
      if (unmappable.size() == kListedUnmappableLines) break;
      unmappable << QStringLiteral("%1 第 %2 行：%3（%4）")
                        .arg(SourceName(source))
                        .arg(line.sourceLine)
                        .arg(QString::fromStdU16String(line.text), NameCharacters(line.characters));
    }
  }
  if (!anyReadable) {
    SetTransfersEnabled(true);
    Warn(QStringLiteral("没有可以导入的文件：\n") + files.join(QLatin1Char('\n')));
    return;
  }
  std::size_t unmappableLines = 0;
  for (const import::ImportSource& source : *sources) unmappableLines += source.unmappable.size();
  if (unmappableLines > static_cast<std::size_t>(unmappable.size())) {
    unmappable << QStringLiteral("……另有 %1 行")
                      .arg(unmappableLines - static_cast<std::size_t>(unmappable.size()));
  }

  const QString intro = QStringLiteral("导入到%1“%2”，每个文件成为库中的一个新文件：")
                            .arg(design_.libraryWord, ui::DisplayName(library));
  QPointer<LineManagerWindow> window(this);
  const LibraryKind kind = kind_;
  ui::OpenWindowModal(new ImportWindow(
      this, intro, files, unmappable,
      [window, kind, library, sources](const std::optional<import::ImportOptions>& options) {
        if (!window) return;
        if (!options) {
          window->SetTransfersEnabled(true);
          return;
        }
        const bool started = ui::StartThread([window, kind, library, sources, options] {
          std::vector<import::ImportOutcome> outcomes;
          for (const import::ImportSource& source : *sources) {
            outcomes.push_back(source.ok()
                                   ? import::ImportIntoLibrary(kind, library, source, *options)
                                   : import::ImportOutcome{});
          }
          ui::RunOnUiThread([&] {
            if (window) window->ReportImport(library, *sources, outcomes, *options);
          });
        });
        if (!started) {
          window->SetTransfersEnabled(true);
          Warn(QStringLiteral("无法启动导入的线程，请稍后再试。"));
        }
      }));
}

void LineManagerWindow::ReportImport(const Text& library,
                                     const std::vector<import::ImportSource>& sources,
                                     const std::vector<import::ImportOutcome>& outcomes,
                                     const import::ImportOptions& options) {
  SetTransfersEnabled(true);
  QStringList lines;
  bool anyWritten = false;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    lines << DescribeOutcome(sources[i], outcomes[i], options);
    anyWritten = anyWritten || !outcomes[i].fileName.empty();
  }
  // The new files show at once when their library is the one listed.
  Text listed;
  if (anyWritten && ChosenLibrary(listed) && listed == library) ShowLibraryFiles();
  const QString summary =
      QStringLiteral("导入到%1“%2”：\n").arg(design_.libraryWord, ui::DisplayName(library)) +
      lines.join(QLatin1Char('\n'));
  if (anyWritten) {
    ui::Inform(summary);
  } else {
    Warn(summary);
  }
}

void LineManagerWindow::ExportLibrary() {
  Text library;
  if (!ChosenLibrary(library)) {
    Warn(QStringLiteral("请先选择要导出的%1。").arg(design_.libraryWord));
    return;
  }
  const QString chosen = ui::ChooseFileToSave(this, QStringLiteral("导出为 UTF-8 文本文件"),
                                              ui::DisplayName(library) + QStringLiteral(".txt"));
  if (chosen.isEmpty()) return;
  const Text outPath = ui::NameFromDisplay(chosen);

  SetTransfersEnabled(false);
  const bool started =
      ui::StartThread([window = QPointer<LineManagerWindow>(this), kind = kind_, library, outPath] {
        const import::ExportOutcome done = import::ExportLibrary(kind, library, outPath);
        ui::RunOnUiThread([&] {
          if (window) window->ReportExport(library, outPath, done);
        });
      });
  if (!started) {
    SetTransfersEnabled(true);
    Warn(QStringLiteral("无法启动导出的线程，请稍后再试。"));
  }
}

void LineManagerWindow::ReportExport(const Text& library, const Text& outPath,
                                     const import::ExportOutcome& done) {
  SetTransfersEnabled(true);
  if (!done.status) {
    if (done.status.error == EEXIST && done.failedPath == outPath) {
      Warn(QStringLiteral("文件“%1”已经存在，导出不会覆盖它。请换一个文件名再导出。")
               .arg(ui::DisplayName(outPath)));
    } else if (done.failedPath == outPath) {
      Warn(QStringLiteral("无法写入“%1”（%2），没有导出。")
               .arg(ui::DisplayName(outPath), ui::FileErrorReason(done.status.error)));
    } else {
      Warn(QStringLiteral("无法读取“%1”（%2），没有导出。")
               .arg(ui::DisplayName(done.failedPath), ui::FileErrorReason(done.status.error)));
    }
    return;
  }
  QString summary = QStringLiteral("已把%1“%2”中 %3 个文件的 %4 行导出到“%5”（UTF-8 编码）。")
                        .arg(design_.libraryWord, ui::DisplayName(library))
                        .arg(done.files)
                        .arg(done.lines)
                        .arg(ui::DisplayName(outPath));
  if (done.replacedBytes > 0) {
    summary += QStringLiteral("其中 %1 个字节无法按 GBK 解码，已写成 U+FFFD（\uFFFD）。")
                   .arg(done.replacedBytes);
  }
  ui::Inform(summary);
}

void LineManagerWindow::SetTransfersEnabled(bool enabled) {
  transfersRunning_ = !enabled;
  EnableControls();
}

bool LineManagerWindow::ChangeShownFile(std::function<bool(ByteArray&)> edit, ChangeFinish finish) {
  const QString description = ShownFileDescription();
  SetChangeRunning(true);
  const bool started =
      StartLineChange(ShownFilePath(), lines_->SharedBytes(), std::move(edit),
                      [window = QPointer<LineManagerWindow>(this), description,
                       finish = std::move(finish)](LineChangeEnd& end) {
                        if (window) window->SetChangeRunning(false);
                        // Warned even when the window has closed: the user must learn the change is
                        // lost.
                        if (end.status.error == kChangedOnDisk) {
                          WarnChangedOnDisk(description);
                        } else if (!end.status) {
                          // The write is atomic: the file still holds what it held.
                          Warn(QStringLiteral("无法写入%1（%2），本次修改未保存。")
                                   .arg(description, ui::FileErrorReason(end.status.error)));
                        }
                        finish(window, std::move(end.file));
                      });
  if (!started) {
    SetChangeRunning(false);
    Warn(QStringLiteral("无法启动保存修改的线程，本次修改未保存，请稍后再试。"));
  }
  return started;
}

void LineManagerWindow::SetChangeRunning(bool running) {
  changeRunning_ = running;
  status_->setText(
      running ? QStringLiteral("正在保存对文件“%1”的修改……").arg(ui::DisplayName(shownFileName_))
              : QString());
  EnableControls();
}

// While a change is written nothing may start another one or show another file; import
// and export wait for it too, and for each other.
void LineManagerWindow::EnableControls() {
  for (QWidget* control : std::initializer_list<QWidget*>{libraryCombo_, fileList_, newFileButton_,
                                                          addButton_, deleteButton_}) {
    control->setEnabled(!changeRunning_);
  }
  grid_->setEditTriggers(changeRunning_ ? QAbstractItemView::NoEditTriggers : gridEditTriggers_);
  importButton_->setEnabled(!changeRunning_ && !transfersRunning_);
  exportButton_->setEnabled(!changeRunning_ && !transfersRunning_);
}

void LineManagerWindow::WarnChangedOnDisk(const QString& fileDescription) {
  Warn(QStringLiteral("%1打开之后已在别处被修改。本次修改未保存，请重新打开该文件。")
           .arg(fileDescription));
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
