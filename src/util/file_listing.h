// Folder listings and the sort every sorted listing uses.
#pragma once

#include "services/text.h"

namespace wordloom {

// Fills `names` (emptied first) with the files of `directory` that match `pattern`, as bare
// names or as directory + "/" + name; in the file system's order unless `sorted`. Returns
// the count. Waiting events run after each file found. An empty `directory` lists nothing.
int EnumerateFiles(const Text& directory, const Text& pattern, TextArray& names,
                   bool fullPaths = false, bool sorted = false);

// Ascending by the user's locale collation (case-sensitive), by insertion with bisection.
// Order 1 reverses the result.
void SortTextArray(TextArray& array, int order = 0);

// -1, 0 or 1 as the collation orders the two texts.
int CompareTexts(const Text& a, const Text& b);

// Tests choose the collation locale ("" = the user's); false when it is not installed.
bool SetCollationLocaleForTesting(const char* localeName);

}  // namespace wordloom
