// The program's environment: the folder that holds the executable.
#pragma once

#include "services/text.h"

namespace wordloom {

// The executable's folder, without a trailing separator.
Text GetRunDirectory();

// Makes another folder the run directory (the headless tool's --dir); an empty text
// restores the executable's folder.
void OverrideRunDirectory(const Text& folder);

// Tests point the run directory at a temporary folder; the same as OverrideRunDirectory.
void SetRunDirectoryForTesting(const Text& folder);

// Makes the run directory the process's current directory; false when that fails.
bool ChangeToRunDirectory();

}  // namespace wordloom
