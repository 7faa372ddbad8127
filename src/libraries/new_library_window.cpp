#include "libraries/new_library_window.h"

#include <QLineEdit>
#include <QPushButton>

#include "libraries/library_messages.h"
#include "services/files.h"
#include "services/ui.h"
#include "services/ui_controls.h"

namespace wordloom {
namespace {

using ui::Ask;
using ui::Inform;
using ui::Warn;

struct KindTexts {
  const char* objectName;
  QString caption;
  QString exampleTag;
  QString emptyWarning;
  QString overwriteQuestion;
  QString successTail;
  QString resourceWord;  // what the user puts into the folder
};

const KindTexts& TextsOf(LibraryKind kind) {
  static const KindTexts sentence{
      "NewSentenceLibraryWindow",
      QStringLiteral("新建句子库"),
      QStringLiteral("{<_XX句子_>}"),
      QStringLiteral("库名称，句子标签，不能为空。"),
      QStringLiteral("您要添加的句子库已经存在，是否需要覆盖。"),
      QStringLiteral(")目录添加句子资源！"),
      QStringLiteral("句子"),
  };
  static const KindTexts keyword{
      "NewKeywordLibraryWindow",
      QStringLiteral("新建关键词库"),
      QStringLiteral("{<_XX关键词_>}"),
      QStringLiteral("库名称，关键词标签，不能为空。"),
      QStringLiteral("您要添加的关键词库已经存在，是否需要覆盖。"),
      QStringLiteral(")目录添加关键词资源！"),
      QStringLiteral("关键词"),
  };
  return kind == LibraryKind::kSentence ? sentence : keyword;
}

QString FolderCreationFailure(LibraryKind kind, const Text& folder, const FileStatus& status) {
  return QStringLiteral("库已写入注册表，但目录(%1)不可用：%2。请先在这里建好目录，再添加%3资源。")
      .arg(ui::DisplayName(folder), ui::FileErrorReason(status.error), TextsOf(kind).resourceWord);
}

}  // namespace

NewLibraryWindow::NewLibraryWindow(LibraryKind kind, QWidget* parent)
    : QDialog(parent), kind_(kind) {
  const KindTexts& texts = TextsOf(kind);
  ui::DesignWindow(this, texts.objectName, texts.caption, {378, 187}, QPoint(50, 50));

  form_ = libraries::BuildLibraryForm(this, kind, 300);
  form_.tagBox->setText(texts.exampleTag);
  QPushButton* clear =
      ui::MakeButton(this, "按钮_清空", QStringLiteral("清空"), QRect(185, 123, 80, 30));
  QPushButton* save =
      ui::MakeButton(this, "按钮_保存", QStringLiteral("保存"), QRect(285, 123, 80, 30));
  connect(clear, &QPushButton::clicked, this, &NewLibraryWindow::ClearNewLibraryForm);
  connect(save, &QPushButton::clicked, this, &NewLibraryWindow::SaveNewLibrary);
}

void NewLibraryWindow::SaveNewLibrary() {
  const KindTexts& texts = TextsOf(kind_);
  const std::optional<libraries::LibraryInput> input =
      libraries::ReadLibraryInput(form_, texts.emptyWarning);
  if (!input) return;

  // The whole registry is scanned: the tag may not repeat any library's tag, not even the
  // tag this very name holds now.
  bool exists = false;
  for (const LibraryRecord& registered : ResourceStore::ListLibrariesWithTags(kind_)) {
    if (registered.name == input->name) exists = true;
    if (registered.tag == input->tag) {
      Warn(QStringLiteral("标签名重复，请换个名字吧！"));
      return;
    }
  }
  if (exists && !Ask(texts.overwriteQuestion)) {
    close();
    return;
  }

  if (const FileStatus written = ResourceStore::WriteTag(kind_, input->name, input->tag);
      !written) {
    // Nothing was saved, so the user keeps the typed texts to try again.
    Warn(libraries::RegistryWriteFailure(kind_, written, QStringLiteral("库没有保存。")));
    return;
  }
  const Text folder = ResourceStore::LibraryFolder(kind_, input->name);
  if (const FileStatus made = ResourceStore::EnsureLibraryFolder(kind_, input->name); !made) {
    Warn(FolderCreationFailure(kind_, folder, made));
  } else {
    Inform(QStringLiteral("保存成功，请到(") + ui::DisplayName(folder) + texts.successTail);
  }
  close();
}

void NewLibraryWindow::ClearNewLibraryForm() {
  form_.nameBox->clear();
  form_.tagBox->clear();
}

}  // namespace wordloom
