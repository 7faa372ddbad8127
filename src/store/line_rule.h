// The line rule, the one place it lives: a file's text is cut into lines at CR LF found at
// character boundaries; inner empty lines count; a lone CR or LF stays inside its line.
// Every reader of lines (the generator's draws, the windows, the line editor) goes through
// it, so line i is the same line everywhere.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "services/text.h"

namespace wordloom {

// What the piece after the last CR LF is when it is empty: no line (how files are read),
// or a line (how the line editor counts, so an emptied last line can be edited again).
enum class EmptyLastLine { kNoLine, kLine };

// Calls `line(begin, end)` with the byte range of each line, in order.
template <typename LineFunction>
void ForEachLineSpan(std::string_view text, EmptyLastLine last, LineFunction&& line) {
  constexpr std::string_view kLineEnd = "\r\n";
  std::size_t begin = 0;
  for (std::size_t end = textscan::Find(text, kLineEnd, 0, false); end != textscan::kNotFound;
       end = textscan::Find(text, kLineEnd, begin, false)) {
    line(begin, end);
    begin = end + kLineEnd.size();
  }
  if (begin < text.size() || last == EmptyLastLine::kLine) line(begin, text.size());
}

struct LineSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool operator==(const LineSpan&) const = default;
};
std::vector<LineSpan> LineSpans(std::string_view text, EmptyLastLine last);

// The lines as copies.
TextArray SplitLines(std::string_view text);

}  // namespace wordloom
