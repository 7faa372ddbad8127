// Inserting and deleting whole lines of a library file, and rewriting a file the windows
// show. The lines are those ReplaceLine edits: the file's text (the bytes up to the first
// NUL) cut by the line rule, the piece after the last CR LF counted as a line even when it
// is empty. A text is its lines joined by CR LF; an edit changes that list and joins it
// again, so the lines it does not mean and the line ends between them stay byte for byte,
// a final CR LF stays (its empty piece stays last) and so does its absence, and every byte
// from the first NUL on stays.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "services/files.h"
#include "services/text.h"

namespace wordloom {

enum class LineEdit {
  kDone,        // the bytes now hold the edited lines
  kNoSuchLine,  // a line number outside the file
  kNotOneLine,  // a new line would not stay one line (a CR LF or a NUL in it, or a last
                // byte that would swallow the CR after it), or would join the line before
};

// Inserts `lines` so that the first of them becomes line `position` (1-based): before the
// line now at `position`, or after the last line when `position` is one past it. Where the
// file ends with CR LF, its empty last piece is the line after the last one shown, so
// inserting there keeps the final CR LF; a file without one stays without. `fileBytes`
// is changed only when kDone is returned.
LineEdit InsertLines(ByteArray& fileBytes, std::size_t position, const TextArray& lines);

// Deletes the lines with the given numbers (1-based, ascending, no repeats), each with the
// CR LF that parts it from the next line (from the line before, for the last one).
// `fileBytes` is changed only when kDone is returned.
LineEdit DeleteLines(ByteArray& fileBytes, const std::vector<std::size_t>& lineNumbers);

// What became of a rewrite of a shown file.
struct FileRewrite {
  FileStatus status;     // how reading and writing went (kChangedOnDisk: see below)
  bool written = false;  // false also when `edit` declined
  ByteArray bytes;       // what the file holds now, after a write
};

// Rewrites the file at `path` whose bytes were `shown` when a window showed it. Under the
// store lock, reads the file again; when any byte of it differs from `shown` nothing is
// written and the status is kChangedOnDisk. Otherwise `edit` changes the bytes (returning
// false when it declines, and nothing is written), and they are written atomically.
FileRewrite RewriteShownFile(const Text& path, const ByteArray& shown,
                             const std::function<bool(ByteArray&)>& edit);

}  // namespace wordloom
