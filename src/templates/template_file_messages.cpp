#include "templates/template_file_messages.h"

#include <QString>

#include "services/ui.h"

namespace wordloom {

void WarnFolderNotCreated(const Text& folder, const FileStatus& status) {
  ui::Warn(QStringLiteral("保存失败：无法创建文件夹“%1”（%2）。")
               .arg(ui::DisplayName(folder), ui::FileErrorReason(status.error)));
}

void WarnTemplateNotRead(const Text& path, const FileStatus& status) {
  ui::Warn(QStringLiteral("无法读取模版文件“%1”（%2）。")
               .arg(ui::DisplayName(path), ui::FileErrorReason(status.error)));
}

void WarnTemplateNotWritten(const Text& path, const FileStatus& status) {
  ui::Warn(QStringLiteral("保存失败：无法写入文件“%1”（%2）。")
               .arg(ui::DisplayName(path), ui::FileErrorReason(status.error)));
}

void WarnTemplateNotDeleted(const Text& path, const FileStatus& status) {
  ui::Warn(QStringLiteral("删除失败：无法删除文件“%1”（%2）。")
               .arg(ui::DisplayName(path), ui::FileErrorReason(status.error)));
}

void WarnNameLeavesFolder() {
  ui::Warn(QStringLiteral("文件名中不能含有“/”或“\\”，请换一个名字。"));
}

}  // namespace wordloom
