#include "store/line_rule.h"

#include <algorithm>

namespace wordloom {

std::vector<LineSpan> LineSpans(std::string_view text, EmptyLastLine last) {
  std::vector<LineSpan> spans;
  // Every line but the last ends in an LF: one allocation, even for a million lines.
  spans.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  ForEachLineSpan(text, last, [&](std::size_t begin, std::size_t end) {
    spans.push_back({begin, end});
  });
  return spans;
}

TextArray SplitLines(std::string_view text) {
  TextArray lines;
  ForEachLineSpan(text, EmptyLastLine::kNoLine, [&](std::size_t begin, std::size_t end) {
    lines.emplace_back(text.substr(begin, end - begin));
  });
  return lines;
}

}  // namespace wordloom
