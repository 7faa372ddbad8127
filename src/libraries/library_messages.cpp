#include "libraries/library_messages.h"

#include "services/ui.h"

namespace wordloom::libraries {

QString InvalidNameWarning(const Text& name) {
  return QStringLiteral("库名称“%1”不能用作目录名：名称不能是“.”或“..”，也不能含有“/”或“\\”。")
      .arg(ui::DisplayName(name));
}

QString UnsupportedTagCharacterWarning(const QString& character) {
  return QStringLiteral("调用标签中的字符“%1”无法保存（GBK 编码中没有这个字符），请换掉它。")
      .arg(character);
}

QString RegistryWriteFailure(LibraryKind kind, const FileStatus& status,
                             const QString& consequence) {
  return QStringLiteral("无法写入注册表文件(%1)：%2。%3")
      .arg(ui::DisplayName(ResourceStore::RegistryPath(kind)), ui::FileErrorReason(status.error),
           consequence);
}

}  // namespace wordloom::libraries
