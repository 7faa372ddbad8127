#include "libraries/library_form.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "libraries/library_messages.h"
#include "services/ui.h"

namespace wordloom::libraries {
namespace {

void AddLabel(QWidget* window, const char* designName, const QString& text, const QRect& geometry) {
  auto* label = new QLabel(text, window);
  label->setObjectName(QString::fromUtf8(designName));
  label->setGeometry(geometry);
  // The design's widths were measured for a smaller font than ours: shrink a hint that
  // would be cut off rather than hide its end.
  QFont font = label->font();
  while (QFontMetrics(font).horizontalAdvance(text) > geometry.width() && font.pointSizeF() > 6) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
  label->setFont(font);
}

QLineEdit* AddBox(QWidget* window, const QString& designName, const QRect& geometry) {
  auto* box = new QLineEdit(window);
  box->setObjectName(designName);
  box->setGeometry(geometry);
  return box;
}

}  // namespace

LibraryForm BuildLibraryForm(QDialog* window, LibraryKind kind, int boxWidth) {
  const bool sentence = kind == LibraryKind::kSentence;
  AddLabel(window, "标签3", QStringLiteral("提示：名称中禁止出现特殊字符（中文，a-Z,_，除外）"),
           QRect(69, 6, 288, 17));
  // Both kinds use the sentence window's name for this label.
  AddLabel(window, "标签_句子库名称", QStringLiteral("库名称："), QRect(6, 26, 47, 32));
  AddLabel(window, "标签1",
           sentence ? QStringLiteral("格式：（{<_XX句子_>}）文章模版调用标签，生成文章。")
                    : QStringLiteral("格式：（{<_XX关键词_>}）文章句子调用标签。"),
           QRect(70, 63, 288, 17));
  AddLabel(window, "标签2", QStringLiteral("调用标签："), QRect(6, 86, 55, 32));

  LibraryForm form;
  form.nameBox =
      AddBox(window,
             sentence ? QStringLiteral("编辑框_句子库名称") : QStringLiteral("编辑框_关键词库名称"),
             QRect(66, 26, boxWidth, 31));
  form.tagBox =
      AddBox(window,
             sentence ? QStringLiteral("编辑框_句子库标签") : QStringLiteral("编辑框_关键词库标签"),
             QRect(66, 86, boxWidth, 31));
  return form;
}

QPushButton* AddButton(QWidget* window, const char* designName, const QString& caption,
                       const QRect& geometry) {
  auto* button = new QPushButton(caption, window);
  button->setObjectName(QString::fromUtf8(designName));
  button->setGeometry(geometry);
  // Otherwise Enter in a box presses the dialog's first button (clear, or even delete).
  button->setAutoDefault(false);
  return button;
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
