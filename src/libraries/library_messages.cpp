#include "libraries/library_messages.h"

#include "services/files.h"
#include "services/ui.h"

namespace wordloom::libraries {

void Warn(const QString& text) { ui::ShowMessage(text, ui::kWarning, QStringLiteral("警告")); }

void Inform(const QString& text) { ui::ShowMessage(text, ui::kOk, QStringLiteral("提示")); }

bool Confirm(const QString& question) {
  return ui::ShowMessage(question, ui::kOkCancel, QStringLiteral("警告")) == ui::kAnswerOk;
}

QString InvalidNameWarning(const Text& name) {
  return QStringLiteral("库名称“%1”不能用作目录名：名称不能是“.”或“..”，也不能含有“/”或“\\”。")
      .arg(ui::DisplayName(name));
}

QString UnsupportedTagCharacterWarning(const QString& character) {
  return QStringLiteral("调用标签中的字符“%1”无法保存（GBK 编码中没有这个字符），请换掉它。")
      .arg(character);
}

QString RegistryWriteFailure(LibraryKind kind, const QString& consequence) {
  const Text path = ResourceStore::RegistryPath(kind);
  // A folder in the registry's place is the one cause worth naming; the rest look alike.
  const QString reason = IsDirectory(path) ? QStringLiteral("同名的目录占用了这个位置")
                                           : QStringLiteral("写入失败，磁盘可能已满或不可写");
  return QStringLiteral("无法写入注册表文件(%1)：%2。%3")
      .arg(ui::DisplayName(path), reason, consequence);
}

}  // namespace wordloom::libraries
