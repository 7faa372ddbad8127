// Which bytes of a text start a character, for all of them at once: a byte of 0x80 and above
// opens a two-byte character, read from the text's start (a lead byte as the very last byte
// is a character of its own). Sixty-four bytes are worked out at a time from the masks of
// their high bits, instead of one character after another.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace wordloom {

// Bit i % 64 of starts[i / 64] is set when byte i starts a character; bits beyond the text
// are clear.
void MarkCharacterStarts(std::string_view text, std::vector<std::uint64_t>& starts);

}  // namespace wordloom
