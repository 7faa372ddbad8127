// Replacing a tag's first occurrence again and again, as the sentence and keyword passes
// do, without copying the whole text at every replacement.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "services/text.h"

namespace wordloom {

// Told of each replacement made: the text around it, up to `reach` bytes on each side, and
// where in that window the inserted text lies.
struct ReplacementWatch {
  std::size_t reach = 0;
  std::function<void(std::string_view window, std::size_t at, std::size_t length)> seen;
};

// Replaces, `count` times, the first exact occurrence of `tag` in `text` by
// `replacement(i)` for the i-th time (0-based). Each replacement takes the first
// occurrence of the text as it is then, which may lie in what an earlier replacement
// inserted; when none is left, the remaining replacements change nothing and
// `replacement` is not asked for them. A replacement must not point into `text`.
// Returns how many replacements were asked for, or nothing when one of them would have
// made the text longer than `maxBytes`: the text then stops as it was before that one.
// A watch, when given, sees every replacement made.
std::optional<std::size_t> ReplaceFirstRepeatedly(
    Text& text, std::string_view tag, std::size_t count,
    const std::function<std::string_view(std::size_t)>& replacement, std::size_t maxBytes,
    const ReplacementWatch* watch = nullptr);

}  // namespace wordloom
