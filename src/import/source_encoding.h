// Recognising the encoding of a text file from outside the program and decoding it to
// Unicode. The order: a byte order mark (UTF-8, UTF-16 LE/BE, UTF-32 LE/BE), then valid
// UTF-8, then the detector (uchardet) for the rest, with a preference for Chinese: short
// GBK files (a keyword a line) give the detector too little to go on, and it then names a
// single-byte code page; text that reads cleanly as GBK, mostly in the GB2312 area where
// everyday Chinese lies, is taken as GBK instead.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wordloom::import {

struct SourceEncoding {
  std::string name;          // as iconv spells it ("UTF-8", "UTF-16LE", "GBK", "BIG5", ...);
                             // empty when nothing was recognised
  std::size_t bomBytes = 0;  // the byte order mark at the start, not part of the text
};

SourceEncoding DetectEncoding(std::string_view bytes);

// The names this program decodes itself: its own GBK table (code page 936, exactly what
// the store files hold) and strict UTF-8.
inline constexpr std::string_view kGbk = "GBK";
inline constexpr std::string_view kUtf8 = "UTF-8";

struct DecodedSource {
  bool known = true;                 // false: iconv does not know the encoding; nothing decoded
  std::u16string text;               // the text after the byte order mark
  std::size_t undecodableBytes = 0;  // bytes that are not of the encoding, each taken as U+FFFD
};

// Decodes the bytes after the mark. Each piece that does not decode (a byte, or a code unit
// of UTF-16 and UTF-32) becomes U+FFFD, a character GBK cannot hold, so it is listed with
// the other such characters rather than lost without a word.
DecodedSource DecodeSource(std::string_view bytes, const SourceEncoding& encoding);

// True when the bytes are UTF-8 by the strict rules (shortest forms, no surrogates, nothing
// beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace wordloom::import
