#include "libraries/library_manager_window.h"

#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include <array>

#include "libraries/library_messages.h"
#include "services/files.h"
#include "services/ui.h"
#include "services/ui_controls.h"

namespace wordloom {
namespace {

using ui::Ask;
using ui::Inform;
using ui::Warn;

constexpr int kNumberColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kTagColumn = 2;
constexpr int kFolderColumn = 3;

struct KindDesign {
  const char* objectName;
  QString caption;
  QString listName;
  std::array<int, 4> columnWidths;
  const char* deleteButtonName;
  QString deleteCaption;
  int deleteWidth;
  QString emptyWarning;
  QString noSelectionWarning;
  QString firstDeleteQuestion;
  QString secondDeleteQuestion;
  QString filesKeptMessage;
  bool renumberAfterDeletion;  // the keyword window refills; the sentence window keeps gaps
};

const KindDesign& DesignOf(LibraryKind kind) {
  static const KindDesign sentence{
      "SentenceLibraryManagerWindow",
      QStringLiteral("管理句子库"),
      QStringLiteral("超级列表框_句子库列表"),
      {70, 100, 150, 150},
      "按钮_删除句子库",
      QStringLiteral("删除选中的句子库"),
      117,
      QStringLiteral("库名称和句子标签不能为空！"),
      QStringLiteral("请选择要删除的句子库！"),
      QStringLiteral("是否删除，当前句子库！"),
      QStringLiteral("是否删除，当前句子库中所有文件！"),
      QStringLiteral("删除成功，保留当前句子库种的所有文件。"),
      false,
  };
  static const KindDesign keyword{
      "KeywordLibraryManagerWindow",
      QStringLiteral("管理关键词库"),
      QStringLiteral("超级列表框_关键词库列表"),
      {70, 100, 100, 200},
      "按钮_删除关键词库",
      QStringLiteral("删除选中的关键词库"),
      133,
      QStringLiteral("库名称和关键词标签不能为空！"),
      QStringLiteral("请选择要删除的关键词库！"),
      QStringLiteral("是否删除，当前关键词库！"),
      QStringLiteral("是否删除，当前关键词库中所有文件！"),
      QStringLiteral("删除成功，保留当前关键词库种的所有文件。"),
      true,
  };
  return kind == LibraryKind::kSentence ? sentence : keyword;
}

QTreeWidget* BuildList(QWidget* window, const KindDesign& design) {
  auto* list = new QTreeWidget(window);
  list->setObjectName(design.listName);
  list->setGeometry(3, 126, 477, 346);
  list->setHeaderLabels({QStringLiteral("序号"), QStringLiteral("库名称"),
                         QStringLiteral("调用标签"), QStringLiteral("资源目录")});
  list->header()->setStretchLastSection(false);
  for (int column = 0; column < 4; ++column) {
    list->setColumnWidth(column, design.columnWidths[static_cast<std::size_t>(column)]);
  }
  ui::MakeFlatTable(list);
  return list;
}

}  // namespace

LibraryManagerWindow::LibraryManagerWindow(LibraryKind kind, QWidget* parent)
    : QDialog(parent), kind_(kind) {
  const KindDesign& design = DesignOf(kind);
  ui::DesignWindow(this, design.objectName, design.caption, {490, 541}, QPoint(50, 50));

  form_ = libraries::BuildLibraryForm(this, kind, 412);
  list_ = BuildList(this, design);
  list_->viewport()->installEventFilter(this);
  QPushButton* remove = ui::MakeButton(this, design.deleteButtonName, design.deleteCaption,
                                       QRect(3, 477, design.deleteWidth, 30));
  QPushButton* clear =
      ui::MakeButton(this, "按钮_清空", QStringLiteral("清空"), QRect(306, 477, 80, 30));
  QPushButton* save =
      ui::MakeButton(this, "按钮_保存", QStringLiteral("保存"), QRect(399, 477, 80, 30));
  connect(remove, &QPushButton::clicked, this, &LibraryManagerWindow::DeleteSelectedLibrary);
  connect(clear, &QPushButton::clicked, this, &LibraryManagerWindow::ClearTagBox);
  connect(save, &QPushButton::clicked, this, &LibraryManagerWindow::SaveLibraryEdit);

  FillLibraryList();
}

bool LibraryManagerWindow::eventFilter(QObject* watched, QEvent* event) {
  // Any left double-click on the list loads, also one beside the rows (it empties the boxes
  // when nothing is selected). The press before it has already selected the row.
  if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    LoadLibraryForEdit();
  }
  return QDialog::eventFilter(watched, event);
}

void LibraryManagerWindow::FillLibraryList() {
  // One reading of the registry, and the rows handed to the list at once: thousands of
  // libraries list without a pause.
  const std::vector<LibraryRecord> libraries = ResourceStore::ListLibrariesWithTags(kind_);
  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<qsizetype>(libraries.size()));
  for (std::size_t i = 0; i < libraries.size(); ++i) {
    const LibraryRecord& library = libraries[i];
    auto* row = new QTreeWidgetItem;
    row->setText(kNumberColumn, QString::number(i + 1));
    row->setText(kNameColumn, ui::DisplayName(library.name));
    row->setText(kTagColumn, ui::Display(library.tag));
    row->setText(kFolderColumn, ui::DisplayName(ResourceStore::LibraryFolder(kind_, library.name)));
    // The designed widths cut long tags and paths; the whole text shows on hovering.
    for (int column : {kTagColumn, kFolderColumn}) row->setToolTip(column, row->text(column));
    rows.append(row);
  }
  list_->addTopLevelItems(rows);
}

void LibraryManagerWindow::RefreshLibraryList() {
  list_->clear();
  FillLibraryList();
}

int LibraryManagerWindow::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.first());
}

Text LibraryManagerWindow::NameInRow(int row) const {
  return ui::NameFromDisplay(list_->topLevelItem(row)->text(kNameColumn));
}

void LibraryManagerWindow::LoadLibraryForEdit() {
  const int row = SelectedRow();
  const Text name = row < 0 ? Text() : NameInRow(row);
  form_.nameBox->setText(ui::DisplayName(name));
  // The registry, not the row, has the tag: the file may have changed since the fill.
  form_.tagBox->setText(ui::Display(ResourceStore::ReadTag(kind_, name)));
}

void LibraryManagerWindow::ShowLibrary(const Text& name) {
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    if (NameInRow(row) != name) continue;
    list_->setCurrentItem(list_->topLevelItem(row));
    list_->scrollToItem(list_->topLevelItem(row));
    LoadLibraryForEdit();
    return;
  }
  list_->clearSelection();
  form_.nameBox->setText(ui::DisplayName(name));
  form_.tagBox->clear();
}

void LibraryManagerWindow::SaveLibraryEdit() {
  const std::optional<libraries::LibraryInput> input =
      libraries::ReadLibraryInput(form_, DesignOf(kind_).emptyWarning);
  if (!input) return;
  if (const FileStatus written = ResourceStore::WriteTag(kind_, input->name, input->tag);
      !written) {
    Warn(libraries::RegistryWriteFailure(kind_, written, QStringLiteral("调用标签没有保存。")));
    return;
  }
  Inform(QStringLiteral("保存成功！"));
  RefreshLibraryList();
}

void LibraryManagerWindow::ClearTagBox() { form_.tagBox->clear(); }

void LibraryManagerWindow::DeleteSelectedLibrary() {
  const KindDesign& design = DesignOf(kind_);
  const int row = SelectedRow();
  if (row < 0) {
    Warn(design.noSelectionWarning);
    return;
  }
  // Only the name decides what is deleted; the folder is derived from it again, so no cell
  // text and no registry entry can point the deletion anywhere else.
  const Text name = NameInRow(row);
  if (!Ask(design.firstDeleteQuestion)) return;

  const bool nameIsFolder = ResourceStore::IsValidLibraryName(name);
  const Text folder = ResourceStore::LibraryFolder(kind_, name);
  const bool folderThere = nameIsFolder && PathExists(folder);
  const bool deleteFiles = folderThere && Ask(design.secondDeleteQuestion);

  if (const FileStatus deleted = ResourceStore::DeleteLibrary(kind_, name); !deleted) {
    Warn(libraries::RegistryWriteFailure(kind_, deleted,
                                         QStringLiteral("库没有删除，磁盘上的文件也没有改动。")));
    return;
  }
  if (!nameIsFolder) {
    Inform(QStringLiteral("删除成功！这个库名称不能用作目录名，磁盘上的文件没有改动。"));
  } else if (!folderThere) {
    Inform(QStringLiteral("删除成功！"));
  } else if (!deleteFiles) {
    Inform(design.filesKeptMessage);
  } else {
    ReportFolderRemoval(ResourceStore::DeleteLibraryFolder(kind_, name), folder);
  }

  if (design.renumberAfterDeletion) {
    RefreshLibraryList();
  } else {
    delete list_->takeTopLevelItem(row);
    list_->clearSelection();  // a second click must not find a neighbour selected
  }
}

void LibraryManagerWindow::ReportFolderRemoval(FolderRemoval outcome, const Text& folder) {
  const QString shown = ui::DisplayName(folder);
  switch (outcome) {
    case FolderRemoval::kRemoved:
    case FolderRemoval::kNothingThere:
      Inform(QStringLiteral("删除成功"));
      return;
    case FolderRemoval::kRefused:
      Warn(QStringLiteral("库的记录已删除，但(%1)不是一个真正的目录（是符号链接或文件），"
                          "为了安全没有删除它，它仍在磁盘上。")
               .arg(shown));
      return;
    case FolderRemoval::kIncomplete:
      Warn(QStringLiteral("库的记录已删除，但目录(%1)没有完全删除：未能删除的文件和子目录"
                          "仍留在这个目录中。")
               .arg(shown));
      return;
  }
}

}  // namespace wordloom
