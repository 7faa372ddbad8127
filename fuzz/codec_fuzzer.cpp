// The two codecs: whatever comes in, from a file, a control or a folder, must come back as
// the same bytes or the same characters.
//
// Input: any bytes, taken whole as a text, as a name from the file system, and as UTF-16
// code units (two bytes each, low byte first).
#include <algorithm>
#include <string>

#include "fuzz_support.h"
#include "services/encoding.h"

namespace wordloom::fuzz {
namespace {

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// What a user can type: every surrogate in a proper pair (the escapes of undecodable bytes
// are lone low surrogates, so they go too).
std::u16string Typeable(std::u16string_view units) {
  std::u16string out(units);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const bool high = out[i] >= 0xD800 && out[i] <= 0xDBFF;
    if (high && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) {
      ++i;
    } else if (IsSurrogate(out[i])) {
      out[i] = 0xFFFD;
    }
  }
  return out;
}

void Run(std::string_view bytes) {
  // Any bytes survive a trip through a control.
  const std::u16string shown = DecodeGbk(bytes);
  const GbkEncoding stored = EncodeGbk(shown);
  Check(stored.ok && stored.bytes == bytes, "EncodeGbk(DecodeGbk(bytes)) differs");

  // A name read from a folder converts back to the very bytes on disk.
  Check(TextToFileSystem(FileSystemToText(bytes)) == bytes,
        "TextToFileSystem(FileSystemToText(name)) differs");

  // A text made only of GBK characters names the same entry after a trip through the
  // file system.
  if (std::none_of(shown.begin(), shown.end(), IsEscape)) {
    Check(FileSystemToText(TextToFileSystem(bytes)) == bytes,
          "FileSystemToText(TextToFileSystem(text)) differs");
  }

  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  // The name codec holds any code units, lone surrogates included.
  Check(DecodeName(EncodeName(units)) == units, "DecodeName(EncodeName(units)) differs");

  // A name the user typed reaches the disk and comes back as the same text.
  const std::u16string typed = Typeable(units);
  const Text name = EncodeName(typed);
  Check(FileSystemToText(TextToFileSystem(name)) == name,
        "FileSystemToText(TextToFileSystem(EncodeName(typed))) differs");

  // Typed content is stored only when code page 936 holds all of it, and then reads back
  // as typed; otherwise the first character it cannot hold is the one named.
  const GbkEncoding content = EncodeGbk(typed);
  if (content.ok) {
    Check(DecodeGbk(content.bytes) == typed, "DecodeGbk(EncodeGbk(typed)) differs");
  } else {
    const std::size_t bad = content.badIndex;
    Check(bad < typed.size() && EncodeGbk(std::u16string_view(typed).substr(0, bad)).ok &&
              !EncodeGbk(std::u16string_view(typed).substr(bad, 1)).ok,
          "EncodeGbk badIndex is not the first character it cannot hold");
  }
}

}  // namespace
}  // namespace wordloom::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= wordloom::fuzz::kMaxInputSize) {
    wordloom::fuzz::Run(std::string_view(reinterpret_cast<const char*>(data), size));
  }
  return 0;
}
