// File names made from articles' titles, for batches written to a folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wordloom::batch {

// Characters of a title name at most: long enough to tell articles apart, short enough for
// a file manager's column (and far below the file system's 255 bytes).
inline constexpr std::size_t kTitleChars = 40;

// The name an article's title gives, as the file system spells it (UTF-8), without ".txt":
// the first line (LF or CR LF) that holds text once markup ("<...>") is removed and the
// common entities are resolved, cut to kTitleChars characters. Characters that no file
// system or copy to Windows takes ("/", "\", ":", "*", "?", '"', "<", ">", "|", control
// characters) become "_", runs of white space one space, bytes that are no character are
// dropped, and leading and trailing spaces and dots go (no hidden files, no "." or "..").
// Empty when no line holds text.
std::string TitleName(std::string_view gbkArticle);

}  // namespace wordloom::batch
