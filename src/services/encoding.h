// Conversions between GBK texts and Unicode.
//
// Two codecs, both lossless:
// - the content codec (code page 936 both ways) for texts shown in controls: a byte that
//   cannot be decoded becomes U+DC00 + byte (U+DC80..U+DCFF) and encodes back to itself, so
//   any byte string survives a trip through a control;
// - the name codec for file and folder names: the content codec plus GB18030 four-byte
//   sequences for characters code page 936 cannot hold, so every name the file system can
//   hold has a text, and a name read from a folder converts back to the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "services/text.h"

namespace wordloom {

struct GbkEncoding {
  bool ok = true;
  Text bytes;                // the encoded text when ok
  std::size_t badIndex = 0;  // index (UTF-16 code unit) of the first character GBK cannot hold
};

std::u16string DecodeGbk(std::string_view text);
GbkEncoding EncodeGbk(std::u16string_view unicode);

std::u16string DecodeName(std::string_view text);
Text EncodeName(std::u16string_view unicode);

// Name texts <-> the UTF-8 bytes the file system sees (invalid UTF-8 survives both ways).
std::string TextToFileSystem(std::string_view text);
Text FileSystemToText(std::string_view utf8);

// A UTF-8 literal from the source code as a text (fixed texts that go into files).
Text Utf8ToText(std::string_view utf8);
std::string TextToUtf8(std::string_view text);

// For reports read outside the program (a terminal, JSON): always valid UTF-8, with U+FFFD
// for every byte that does not decode. Contents by the content codec, names by the name codec.
std::string ContentToReadableUtf8(std::string_view text);
std::string NameToReadableUtf8(std::string_view name);
// The same for UTF-16 (a lone surrogate becomes U+FFFD).
std::string Utf16ToReadableUtf8(std::u16string_view text);

// The index of the first byte that the content codec cannot decode (it would show as an
// escape), or std::string_view::npos when every byte decodes.
std::size_t FirstUndecodableByte(std::string_view text);

// True when the bytes are valid UTF-8: shortest forms, no surrogates, up to U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

}  // namespace wordloom
