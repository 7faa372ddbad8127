// Replacing one line of a library file in place. The windows show the lines of the file's
// text (the bytes up to the first NUL, cut by the line rule); an edit must land in exactly
// the line it was made in and leave every other byte of the file alone.
#pragma once

#include <cstddef>

#include "services/text.h"

namespace wordloom {

enum class LineReplacement {
  kReplaced,     // the bytes now hold the new line
  kLineChanged,  // the file has no such line any more, or it no longer holds the old text
  kNotOneLine,   // the new text would not stay one line (a CR LF, a NUL, or a last byte that
                 // would swallow the following CR)
};

// Replaces line `lineNumber` (1-based) of `fileBytes` by `replacement`, provided that line
// still holds `expected`. The piece after the last CR LF counts as a line here even when it
// is empty, so a last line that an edit emptied can be edited again. Everything else stays:
// the other lines, the line ends, the final CR LF or its absence, and every byte from the
// first NUL on. `fileBytes` is changed only when kReplaced is returned.
LineReplacement ReplaceLine(ByteArray& fileBytes, std::size_t lineNumber, const Text& expected,
                            const Text& replacement);

}  // namespace wordloom
