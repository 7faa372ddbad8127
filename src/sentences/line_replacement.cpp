#include "sentences/line_replacement.h"

#include <utility>
#include <vector>

namespace wordloom {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Byte ranges [begin, end) of the lines of `text`, found with the same character-boundary
// scan that splits files into lines, so row i of the grid and range i are the same line.
using LineSpan = std::pair<std::size_t, std::size_t>;

std::vector<LineSpan> LineSpans(std::string_view text) {
  std::vector<LineSpan> spans;
  std::size_t begin = 0;
  for (std::size_t end = textscan::Find(text, kLineEnd, 0, false); end != textscan::kNotFound;
       end = textscan::Find(text, kLineEnd, begin, false)) {
    spans.emplace_back(begin, end);
    begin = end + kLineEnd.size();
  }
  spans.emplace_back(begin, text.size());
  return spans;
}

}  // namespace

LineReplacement ReplaceLine(ByteArray& fileBytes, std::size_t lineNumber, const Text& expected,
                            const Text& replacement) {
  const std::size_t textEnd = std::min(fileBytes.find('\0'), fileBytes.size());
  const std::string_view text(fileBytes.data(), textEnd);
  const std::vector<LineSpan> spans = LineSpans(text);
  if (lineNumber < 1 || lineNumber > spans.size()) return LineReplacement::kLineChanged;
  const auto [begin, end] = spans[lineNumber - 1];
  if (text.substr(begin, end - begin) != expected) return LineReplacement::kLineChanged;

  ByteArray result;
  result.reserve(fileBytes.size() - (end - begin) + replacement.size());
  result.append(fileBytes, 0, begin).append(replacement).append(fileBytes, end);

  // The new text must come out as the same line again, with every line end where it was.
  // Scanning is left to right and the line starts at a character boundary, so checking the
  // line itself and the number of lines covers the lines after it too.
  const std::vector<LineSpan> after = LineSpans(ToText(result));
  if (after.size() != spans.size() ||
      after[lineNumber - 1] != LineSpan(begin, begin + replacement.size())) {
    return LineReplacement::kNotOneLine;
  }
  fileBytes = std::move(result);
  return LineReplacement::kReplaced;
}

}  // namespace wordloom
