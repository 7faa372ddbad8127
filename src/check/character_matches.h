// The occurrences of many patterns that begin at a character boundary of a GBK text, as the
// text services find them: the generator's matcher finds every byte match in one pass, and
// a cursor that walks the characters alongside keeps the ones that start a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "generator/pattern_matcher.h"

namespace wordloom::check {

// Calls found(pattern, begin) for every occurrence that begins at a character boundary
// (the text's start is one), overlapping ones included, by begin and then by length.
template <typename Found>
void ForEachMatchAtCharacterStart(const PatternMatcher& matcher, std::string_view text,
                                  Found&& found) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t character = 0;  // the first character start at or after the last match seen
  matcher.Scan(text, [&](std::uint32_t pattern, std::size_t begin) {
    // A byte of 0x80 or above opens a two-byte character.
    while (character < begin) character += bytes[character] >= 0x80 ? 2 : 1;
    if (character == begin) found(std::size_t{pattern}, begin);
  });
}

}  // namespace wordloom::check
