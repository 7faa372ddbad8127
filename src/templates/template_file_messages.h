// Warnings about template files and folders that could not be read, written, created or
// deleted. Each names the path and the reason the operation gave.
#pragma once

#include "services/files.h"
#include "services/text.h"

namespace wordloom {

void WarnFolderNotCreated(const Text& folder, const FileStatus& status);
void WarnTemplateNotRead(const Text& path, const FileStatus& status);
void WarnTemplateNotWritten(const Text& path, const FileStatus& status);
void WarnTemplateNotDeleted(const Text& path, const FileStatus& status);
// The typed name would leave the template folder.
void WarnNameLeavesFolder();

}  // namespace wordloom
