#include "store/line_replacement.h"

#include <vector>

#include "store/line_rule.h"

namespace wordloom {

LineReplacement ReplaceLine(ByteArray& fileBytes, std::size_t lineNumber, const Text& expected,
                            const Text& replacement) {
  const std::size_t textEnd = std::min(fileBytes.find('\0'), fileBytes.size());
  const std::string_view text(fileBytes.data(), textEnd);
  const std::vector<LineSpan> spans = LineSpans(text, EmptyLastLine::kLine);
  if (lineNumber < 1 || lineNumber > spans.size()) return LineReplacement::kLineChanged;
  const auto [begin, end] = spans[lineNumber - 1];
  if (text.substr(begin, end - begin) != expected) return LineReplacement::kLineChanged;

  ByteArray result;
  result.reserve(fileBytes.size() - (end - begin) + replacement.size());
  result.append(fileBytes, 0, begin).append(replacement).append(fileBytes, end);

  // The new text must come out as the same line again, with every line end where it was.
  // Scanning is left to right and the line starts at a character boundary, so checking the
  // line itself and the number of lines covers the lines after it too.
  const std::vector<LineSpan> after = LineSpans(ToText(result), EmptyLastLine::kLine);
  if (after.size() != spans.size() ||
      after[lineNumber - 1] != LineSpan{begin, begin + replacement.size()}) {
    return LineReplacement::kNotOneLine;
  }
  fileBytes = std::move(result);
  return LineReplacement::kReplaced;
}

}  // namespace wordloom
