#include "templates/template_authoring_panel.h"

#include <QListWidget>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>

#include "services/ui.h"
#include "services/ui_controls.h"
#include "templates/template_box.h"
#include "templates/template_snippets.h"

namespace wordloom {
namespace {

QListWidget* MakeList(QWidget* parent, const char* designName, const QRect& place) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromUtf8(designName));
  list->setGeometry(place);
  return list;
}

// One reading of the registry for the whole list, however many libraries it holds.
void FillTagList(QListWidget* list, LibraryKind kind) {
  const std::vector<LibraryRecord> libraries = ResourceStore::ListLibrariesWithTags(kind);
  for (std::size_t i = 0; i < libraries.size(); ++i) {
    const int position = static_cast<int>(i) + 1;
    ui::InsertItem(
        list, position - 1,
        ui::DisplayName(libraries[i].name) + QStringLiteral("：") + ui::Display(libraries[i].tag),
        position);
  }
}

}  // namespace

TemplateAuthoringPanel::TemplateAuthoringPanel(QWidget* window, const TemplatePanelLayout& layout)
    : QObject(window) {
  box_ = new TemplateBox(window);
  box_->setObjectName(QStringLiteral("编辑框_模版"));
  box_->setGeometry(layout.templateBox);
  ui::MakeLabel(window, "标签_句子标签", QStringLiteral("句子标签："), layout.sentenceLabel);
  sentenceList_ = MakeList(window, "列表框_句子库标签列表", layout.sentenceList);
  ui::MakeLabel(window, "标签_关键词标签", QStringLiteral("关键词标签：(建议不用插入)"),
                layout.keywordLabel);
  keywordList_ = MakeList(window, "列表框_关键词库标签列表", layout.keywordList);

  const struct {
    const char* name;
    const char* caption;
    QRect place;
    const Text& snippet;
  } inserters[] = {
      {"按钮_插入P标签", "插入<P>", layout.paragraphButton, snippets::Paragraph()},
      {"按钮_插入H2标签", "插入<H2>", layout.headingButton, snippets::Heading()},
      {"按钮_插入有序列表", "插入有序列表", layout.orderedListButton, snippets::OrderedList()},
      // The design named this button after the ordered list; it inserts the unordered one.
      {"按钮_插入有序列表1", "插入无序列表", layout.unorderedListButton, snippets::UnorderedList()},
      {"按钮_插入制表符", "插入TAB制表符", layout.tabButton, snippets::Tab()},
  };
  for (const auto& inserter : inserters) {
    QPushButton* button =
        ui::MakeButton(window, inserter.name, QString::fromUtf8(inserter.caption), inserter.place);
    connect(button, &QPushButton::clicked, this,
            [this, &snippet = inserter.snippet] { InsertSnippet(snippet); });
  }
  QPushButton* clear =
      ui::MakeButton(window, "按钮_清空", QStringLiteral("清空"), layout.clearButton);
  connect(clear, &QPushButton::clicked, this, [this] {
    // Through the cursor, so that an unlucky click can be undone.
    QTextCursor cursor(box_->document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
  });

  connect(box_, &TemplateBox::TabReleased, this, [this] { InsertSnippet(snippets::Tab()); });
  connect(sentenceList_, &QListWidget::itemDoubleClicked, this,
          [this] { InsertCallTag(LibraryKind::kSentence); });
  connect(keywordList_, &QListWidget::itemDoubleClicked, this,
          [this] { InsertCallTag(LibraryKind::kKeyword); });
  connect(box_->document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int) { TextChanged(position); });
}

void TemplateAuthoringPanel::FillTagLists() {
  FillTagList(sentenceList_, LibraryKind::kSentence);
  FillTagList(keywordList_, LibraryKind::kKeyword);
}

void TemplateAuthoringPanel::InsertCallTag(LibraryKind kind) {
  QListWidget* list = kind == LibraryKind::kSentence ? sentenceList_ : keywordList_;
  const int row = ui::SelectedRow(list);
  if (row < 0) return;
  const int position = ui::ItemNumber(list, row);
  // The item fixes only the section's position; the tag is read now. A position that no
  // longer names a section (a library removed meanwhile) inserts nothing.
  const std::vector<LibraryRecord> libraries = ResourceStore::ListLibrariesWithTags(kind);
  if (position < 1 || static_cast<std::size_t>(position) > libraries.size()) return;
  const Text& tag = libraries[static_cast<std::size_t>(position) - 1].tag;
  // An empty tag inserts nothing, and so must not wipe out the user's selection either.
  if (!tag.empty()) InsertSnippet(tag);
}

void TemplateAuthoringPanel::InsertSnippet(const Text& snippet) {
  // The box's own cursor keeps its selection while another control has the focus.
  QTextCursor cursor = box_->textCursor();
  cursor.insertText(TemplateFileText::Shown(snippet));
  box_->setTextCursor(cursor);
}

bool TemplateAuthoringPanel::IsEmpty() const { return box_->document()->isEmpty(); }

void TemplateAuthoringPanel::ShowFile(const ByteArray& bytes) {
  const QString shown = fileText_.Load(bytes);
  loading_ = true;
  box_->setPlainText(shown);
  loading_ = false;
  shown_ = box_->toPlainText();
}

std::optional<ByteArray> TemplateAuthoringPanel::ContentToSave() const {
  const QString shown = box_->toPlainText();
  std::optional<ByteArray> bytes = fileText_.Save(shown);
  if (!bytes) {
    ui::Warn(QStringLiteral("模版中的字符“%1”无法以GBK编码保存，请删除或替换后再保存。")
                 .arg(ui::FirstUnsupportedCharacter(shown)));
  }
  return bytes;
}

void TemplateAuthoringPanel::TextChanged(int position) {
  if (loading_) return;
  const QString now = box_->toPlainText();
  fileText_.Edited(shown_, now, position);
  shown_ = now;
}

}  // namespace wordloom
