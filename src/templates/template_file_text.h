// How a template travels between its file and the template box.
//
// The box knows one kind of line break and shows nothing after a NUL byte, while a file may
// hold CR LF, lone LF or lone CR (hand-edited files) and bytes after a NUL. This keeps what
// the box cannot hold, in step with the edits, so that a save writes back unchanged whatever
// the user did not touch: each break keeps its bytes, new breaks are CR LF, and the bytes
// from the first NUL on follow the text as they were.
#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "services/text.h"

namespace wordloom {

class TemplateFileText {
 public:
  // The box text for a file's bytes; what the box held before is forgotten.
  QString Load(const ByteArray& bytes);

  // The box text of a text inserted by the program (its breaks count as new ones).
  static QString Shown(const Text& text);

  // The box text changed from `before` to `after`, in one edit that began at `position` or
  // later (the box tells where; this settles which of two equal breaks was typed).
  void Edited(const QString& before, const QString& after, int position);

  // The file's bytes for the box text, or nothing when a character of it cannot be held by
  // the file's code page.
  std::optional<ByteArray> Save(const QString& shown) const;

 private:
  std::vector<Text> breaks_;  // the bytes of each line break of the box text, in order
  ByteArray tail_;            // the file from its first NUL on
};

}  // namespace wordloom
