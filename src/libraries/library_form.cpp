#include "libraries/library_form.h"

#include <QDialog>
#include <QLineEdit>

#include "libraries/library_messages.h"
#include "services/ui.h"
#include "services/ui_controls.h"

namespace wordloom::libraries {

LibraryForm BuildLibraryForm(QDialog* window, LibraryKind kind, int boxWidth) {
  const bool sentence = kind == LibraryKind::kSentence;
  ui::MakeLabel(window, "标签3",
                QStringLiteral("提示：名称中禁止出现特殊字符（中文，a-Z,_，除外）"),
                QRect(69, 6, 288, 17));
  // Both kinds use the sentence window's name for this label.
  ui::MakeLabel(window, "标签_句子库名称", QStringLiteral("库名称："), QRect(6, 26, 47, 32));
  ui::MakeLabel(window, "标签1",
                sentence ? QStringLiteral("格式：（{<_XX句子_>}）文章模版调用标签，生成文章。")
                         : QStringLiteral("格式：（{<_XX关键词_>}）文章句子调用标签。"),
                QRect(70, 63, 288, 17));
  ui::MakeLabel(window, "标签2", QStringLiteral("调用标签："), QRect(6, 86, 55, 32));

  LibraryForm form;
  form.nameBox =
      ui::Place(new QLineEdit(window), sentence ? "编辑框_句子库名称" : "编辑框_关键词库名称",
                {66, 26, boxWidth, 31});
  form.tagBox =
      ui::Place(new QLineEdit(window), sentence ? "编辑框_句子库标签" : "编辑框_关键词库标签",
                {66, 86, boxWidth, 31});
  return form;
}

std::optional<LibraryInput> ReadLibraryInput(const LibraryForm& form, const QString& emptyWarning) {
  const QString shownName = form.nameBox->text();
  const QString shownTag = form.tagBox->text();
  if (shownName.isEmpty() || shownTag.isEmpty()) {
    ui::Warn(emptyWarning);
    return std::nullopt;
  }
  std::optional<Text> tag = ui::ContentFromDisplay(shownTag);
  if (!tag) {
    ui::Warn(UnsupportedTagCharacterWarning(ui::FirstUnsupportedCharacter(shownTag)));
    return std::nullopt;
  }
  Text name = ui::NameFromDisplay(shownName);
  if (!ResourceStore::IsValidLibraryName(name)) {
    ui::Warn(InvalidNameWarning(name));
    return std::nullopt;
  }
  return LibraryInput{std::move(name), std::move(*tag)};
}

}  // namespace wordloom::libraries
