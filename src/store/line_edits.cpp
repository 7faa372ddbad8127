#include "store/line_edits.h"

#include <algorithm>
#include <string_view>

#include "store/line_rule.h"
#include "store/resource_store.h"

namespace wordloom {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A file cut into its text's lines and what follows the text.
struct CutFile {
  std::string_view text;
  std::string_view tail;  // from the first NUL on
  std::vector<LineSpan> lines;

  explicit CutFile(const ByteArray& bytes) {
    const std::string_view all(bytes);
    const std::size_t textEnd = std::min(all.find('\0'), all.size());
    text = all.substr(0, textEnd);
    tail = all.substr(textEnd);
    lines = LineSpans(text, EmptyLastLine::kLine);
  }
  std::string_view Line(std::size_t index) const {
    return text.substr(lines[index].begin, lines[index].end - lines[index].begin);
  }
};

// True when the last byte opens a character that the text does not finish: a CR after it
// would become that character's second byte.
bool EndsInHalfCharacter(std::string_view line) {
  std::size_t last = 0;
  for (std::size_t pos = 0; pos < line.size(); pos += CharLength(line, pos)) last = pos;
  return !line.empty() && last == line.size() - 1 &&
         IsLeadByte(static_cast<unsigned char>(line[last]));
}

// True when `line` stays exactly one line of a file, with a CR LF after it or not.
bool FitsAsLine(std::string_view line, bool lineEndFollows) {
  if (line.find('\0') != std::string_view::npos) return false;
  if (!line.empty() && textscan::Find(line, kLineEnd, 0, false) != textscan::kNotFound) {
    return false;
  }
  return !lineEndFollows || !EndsInHalfCharacter(line);
}

}  // namespace

LineEdit InsertLines(ByteArray& fileBytes, std::size_t position, const TextArray& lines) {
  const CutFile file(fileBytes);
  const std::size_t count = file.lines.size();
  if (position < 1 || position > count + 1) return LineEdit::kNoSuchLine;
  if (lines.empty()) return LineEdit::kDone;
  const bool atEnd = position == count + 1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!FitsAsLine(lines[i], !atEnd || i + 1 < lines.size())) return LineEdit::kNotOneLine;
  }
  // Appending puts a CR LF after what was the last line, which must take it as its end.
  if (atEnd && EndsInHalfCharacter(file.Line(count - 1))) return LineEdit::kNotOneLine;

  std::size_t added = 0;
  for (const Text& line : lines) added += line.size() + kLineEnd.size();
  const std::size_t at = atEnd ? file.text.size() : file.lines[position - 1].begin;
  ByteArray result;
  result.reserve(fileBytes.size() + added);
  result.append(file.text.substr(0, at));
  for (const Text& line : lines) {
    // A line end goes after each new line, or before each when they follow the last line.
    if (atEnd) result.append(kLineEnd);
    result.append(line);
    if (!atEnd) result.append(kLineEnd);
  }
  result.append(file.text.substr(at)).append(file.tail);
  fileBytes = std::move(result);
  return LineEdit::kDone;
}

LineEdit DeleteLines(ByteArray& fileBytes, const std::vector<std::size_t>& lineNumbers) {
  const CutFile file(fileBytes);
  const std::size_t count = file.lines.size();
  for (std::size_t i = 0; i < lineNumbers.size(); ++i) {
    const std::size_t n = lineNumbers[i];
    if (n < 1 || n > count || (i > 0 && n <= lineNumbers[i - 1])) return LineEdit::kNoSuchLine;
  }
  if (lineNumbers.empty()) return LineEdit::kDone;

  // The kept lines joined again: each kept line's own CR LF is the one that followed it,
  // and a new last line simply ends the text.
  ByteArray result;
  result.reserve(fileBytes.size());
  bool first = true;
  auto deleted = lineNumbers.begin();
  for (std::size_t i = 0; i < count; ++i) {
    if (deleted != lineNumbers.end() && *deleted == i + 1) {
      ++deleted;
      continue;
    }
    if (!first) result.append(kLineEnd);
    result.append(file.Line(i));
    first = false;
  }
  result.append(file.tail);
  fileBytes = std::move(result);
  return LineEdit::kDone;
}

FileRewrite RewriteShownFile(const Text& path, const ByteArray& shown,
                             const std::function<bool(ByteArray&)>& edit) {
  FileRewrite rewrite;
  rewrite.status = ResourceStore::UnderStoreLock([&] {
    FileContent file = ReadFile(path);
    if (!file.status) return file.status;
    // Any change, not only one in the lines the edit touches: the user decided on what
    // the window showed, and the file no longer holds it.
    if (file.bytes != shown) return FileStatus::Failed(kChangedOnDisk);
    if (!edit(file.bytes)) return FileStatus::Done();
    const FileStatus written = WriteFileBytes(path, file.bytes);
    if (written) {
      rewrite.written = true;
      rewrite.bytes = std::move(file.bytes);
    }
    return written;
  });
  return rewrite;
}

}  // namespace wordloom
