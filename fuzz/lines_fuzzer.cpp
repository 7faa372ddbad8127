// The line rule: SplitLines, and ReplaceLine editing one line of a sentence file in place.
//
// Input: a line-number byte, a flags byte (bit 0: take the expected old line from the input
// instead of from the file), then the file, the replacement and the expected line,
// separated by 0xFF.
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "reference.h"
#include "store/line_replacement.h"
#include "store/resource_store.h"

namespace wordloom::fuzz {
namespace {

// [begin, end) of the text's lines, cut at each CR LF that begins a character, and the piece
// after the last CR LF as a last line, empty or not.
std::vector<std::pair<std::size_t, std::size_t>> LineSpans(std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text.substr(i, 2) == "\r\n") {
      spans.emplace_back(begin, i);
      i += 2;
      begin = i;
    } else {
      i = ref::CharEnd(text, i);
    }
  }
  spans.emplace_back(begin, text.size());
  return spans;
}

TextArray Lines(std::string_view text) {
  TextArray lines;
  for (auto [begin, end] : LineSpans(text)) lines.emplace_back(text.substr(begin, end - begin));
  if (lines.back().empty()) lines.pop_back();  // no lines in "", none after a final CR LF
  return lines;
}

// What the grid shows: the bytes up to the first NUL.
std::string_view TextOf(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

void Run(FuzzInput in) {
  const std::uint8_t number = in.Byte();
  const std::uint8_t flags = in.Byte();
  const ByteArray file(in.Piece());
  const Text replacement(in.Piece());
  const std::string_view text = TextOf(file);
  Check(ResourceStore::SplitLines(Text(text)) == Lines(text), "SplitLines");

  const auto spans = LineSpans(text);
  const std::size_t lineNumber = number % (spans.size() + 2);  // 0 and one past the last too
  const bool exists = lineNumber >= 1 && lineNumber <= spans.size();
  std::string_view current;
  if (exists) {
    const auto [begin, end] = spans[lineNumber - 1];
    current = text.substr(begin, end - begin);
  }
  const Text expected((flags & 1) != 0 ? in.Piece() : current);

  ByteArray edited = file;
  const LineReplacement result = ReplaceLine(edited, lineNumber, expected, replacement);
  if (!exists || current != expected) {
    Check(result == LineReplacement::kLineChanged && edited == file,
          "ReplaceLine did not refuse a line that is not there");
    return;
  }
  // The one line replaced, every byte around it as it was; the edit counts only when the
  // lines of the new text are the old ones with that one line replaced.
  const auto [begin, end] = spans[lineNumber - 1];
  const ByteArray candidate = file.substr(0, begin) + replacement + file.substr(end);
  TextArray wanted;
  for (auto [b, e] : spans) wanted.emplace_back(text.substr(b, e - b));
  wanted[lineNumber - 1] = replacement;
  std::vector<Text> got;
  for (auto [b, e] : LineSpans(TextOf(candidate))) {
    got.emplace_back(TextOf(candidate).substr(b, e - b));
  }
  if (got == wanted) {
    Check(result == LineReplacement::kReplaced && edited == candidate,
          "ReplaceLine did not make an edit that keeps the lines");
  } else {
    Check(result == LineReplacement::kNotOneLine && edited == file,
          "ReplaceLine made an edit that changes other lines");
  }
}

}  // namespace
}  // namespace wordloom::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= wordloom::fuzz::kMaxInputSize) wordloom::fuzz::Run({data, size});
  return 0;
}
