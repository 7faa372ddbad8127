// Warnings about template files and folders that could not be written, created or deleted.
// Each names the path and a short reason found by looking at what is on disk now.
#pragma once

#include "services/text.h"

namespace wordloom {

void WarnFolderNotCreated(const Text& folder);
void WarnTemplateNotWritten(const Text& path, const Text& folder);
void WarnTemplateNotDeleted(const Text& path);
// The typed name would leave the template folder.
void WarnNameLeavesFolder();

}  // namespace wordloom
