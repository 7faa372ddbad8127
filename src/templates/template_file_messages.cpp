#include "templates/template_file_messages.h"

#include <QString>

#include "services/files.h"
#include "services/ui.h"
#include "store/resource_store.h"

namespace wordloom {
namespace {

void Warn(const QString& text) { ui::ShowMessage(text, ui::kWarning, QStringLiteral("警告")); }

}  // namespace

void WarnFolderNotCreated(const Text& folder) {
  const QString reason = IsDirectory(ResourceStore::RunDirectory())
                             ? QStringLiteral("没有写入权限或磁盘已满")
                             : QStringLiteral("程序所在的文件夹已不存在");
  Warn(QStringLiteral("保存失败：无法创建文件夹“%1”（%2）。").arg(ui::DisplayName(folder), reason));
}

void WarnTemplateNotWritten(const Text& path, const Text& folder) {
  QString reason;
  if (IsDirectory(path)) {
    reason = QStringLiteral("已有同名的文件夹");
  } else if (!IsDirectory(folder)) {
    reason = QStringLiteral("模版文件夹不存在或不是文件夹");
  } else {
    reason = QStringLiteral("磁盘已满、文件过大或没有写入权限");
  }
  Warn(QStringLiteral("保存失败：无法写入文件“%1”（%2）。").arg(ui::DisplayName(path), reason));
}

void WarnTemplateNotDeleted(const Text& path) {
  const QString reason =
      IsDirectory(path) ? QStringLiteral("它已变成一个文件夹") : QStringLiteral("没有删除权限");
  Warn(QStringLiteral("删除失败：无法删除文件“%1”（%2）。").arg(ui::DisplayName(path), reason));
}

void WarnNameLeavesFolder() { Warn(QStringLiteral("文件名中不能含有“/”或“\\”，请换一个名字。")); }

}  // namespace wordloom
