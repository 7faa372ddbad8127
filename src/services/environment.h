// The program's environment: the folder that holds the executable.
#pragma once

#include "services/text.h"

namespace wordloom {

// The executable's folder, without a trailing separator.
Text GetRunDirectory();

// Tests point the run directory at a temporary folder; an empty text restores the real one.
void SetRunDirectoryForTesting(const Text& folder);

// Makes the run directory the process's current directory; false when that fails.
bool ChangeToRunDirectory();

}  // namespace wordloom
