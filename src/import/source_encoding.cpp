#include "import/source_encoding.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>
#include <optional>

#include "services/encoding.h"

namespace wordloom::import {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool IsEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// The program's own table; a byte it cannot decode comes back as an escape (U+DC80..DCFF).
DecodedSource DecodeGbkTable(std::string_view bytes) {
  DecodedSource out;
  out.text = DecodeGbk(bytes);
  for (char16_t& c : out.text) {
    if (IsEscape(c)) {
      c = kReplacement;
      ++out.undecodableBytes;
    }
  }
  return out;
}

// How many bytes to step over when iconv meets something it cannot decode.
std::size_t UnitSize(std::string_view encoding) {
  if (StartsWith(encoding, "UTF-32") || StartsWith(encoding, "UCS-4")) return 4;
  if (StartsWith(encoding, "UTF-16") || StartsWith(encoding, "UCS-2")) return 2;
  return 1;
}

struct IconvHandle {
  iconv_t cd;
  explicit IconvHandle(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (ok()) iconv_close(cd);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

DecodedSource DecodeWithIconv(std::string_view bytes, const std::string& encoding) {
  DecodedSource out;
  IconvHandle handle("UTF-16LE", encoding.c_str());
  if (!handle.ok()) {
    out.known = false;
    return out;
  }
  const std::size_t unit = UnitSize(encoding);
  std::string input(bytes);
  char* in = input.data();
  std::size_t inLeft = input.size();
  std::string buffer(65536, '\0');
  auto take = [&](const char* end) {
    for (const char* p = buffer.data(); p + 1 < end; p += 2) {
      out.text.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                               (static_cast<unsigned char>(p[1]) << 8)));
    }
  };
  out.text.reserve(bytes.size());
  bool flushing = false;  // all input taken; what remains is the end of a shift state
  for (;;) {
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t done = flushing ? iconv(handle.cd, nullptr, nullptr, &outPtr, &outLeft)
                                      : iconv(handle.cd, &in, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    take(outPtr);
    if (done != static_cast<std::size_t>(-1)) {
      if (flushing) break;
      flushing = inLeft == 0;
      continue;
    }
    if (error == E2BIG) continue;
    if (flushing) break;
    // EILSEQ: a piece that is not of the encoding; EINVAL: a piece cut off by the end.
    const std::size_t skip = error == EINVAL ? inLeft : std::min(unit, inLeft);
    out.undecodableBytes += skip;
    out.text.push_back(kReplacement);
    in += skip;
    inLeft -= skip;
    iconv(handle.cd, nullptr, nullptr, nullptr, nullptr);
    flushing = inLeft == 0;
  }
  return out;
}

// Strictly decodable as GB18030 (no byte that does not belong), through iconv.
bool IsCleanGb18030(std::string_view bytes) {
  const DecodedSource decoded = DecodeWithIconv(bytes, "GB18030");
  return decoded.known && decoded.undecodableBytes == 0;
}

// GBK or GB18030 when the bytes read as Chinese: every byte of 0x80 and above belongs to a
// two-byte GBK character or a four-byte GB18030 one. With `mostlyGb2312`, more than half of
// the two-byte characters must also lie in the GB2312 area (both bytes 0xA1 and above), as
// Chinese text does and Latin text with a few accented letters does not.
std::optional<std::string> ReadAsChinese(std::string_view bytes, bool mostlyGb2312) {
  std::size_t pairs = 0, gb2312 = 0, fourByte = 0;
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char lead = at(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead == 0x80 || lead == 0xFF || i + 1 >= bytes.size()) return std::nullopt;
    const unsigned char second = at(i + 1);
    if (second >= 0x30 && second <= 0x39) {
      if (i + 3 >= bytes.size() || at(i + 2) < 0x81 || at(i + 2) > 0xFE || at(i + 3) < 0x30 ||
          at(i + 3) > 0x39) {
        return std::nullopt;
      }
      ++fourByte;
      i += 4;
      continue;
    }
    if (second < 0x40 || second == 0x7F || second == 0xFF) return std::nullopt;
    ++pairs;
    if (lead >= 0xA1 && lead <= 0xF7 && second >= 0xA1) ++gb2312;
    i += 2;
  }
  if (pairs + fourByte == 0) return std::nullopt;
  if (mostlyGb2312 && gb2312 * 2 <= pairs) return std::nullopt;
  if (fourByte == 0) {
    if (DecodeGbkTable(bytes).undecodableBytes == 0) return std::string(kGbk);
    return std::nullopt;
  }
  if (IsCleanGb18030(bytes)) return std::string("GB18030");
  return std::nullopt;
}

std::string Detector(std::string_view bytes) {
  const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
  if (!detector) return {};
  uchardet_handle_data(detector.get(), bytes.data(), bytes.size());
  uchardet_data_end(detector.get());
  std::string name = uchardet_get_charset(detector.get());
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

bool IsChineseFamily(std::string_view name) {
  return name == "GB18030" || name == "GB2312" || name == "GBK" || name == "CP936" ||
         name == "EUC-CN";
}

// The detector's multi-byte answers are taken as they are; its single-byte answers are
// guesses when the text is short.
bool IsMultiByte(std::string_view name) {
  for (std::string_view prefix : {"BIG5", "EUC-", "SHIFT_JIS", "ISO-2022-", "UTF-16", "UTF-32",
                                  "X-ISO-10646", "UHC", "CP949", "HZ"}) {
    if (StartsWith(name, prefix)) return true;
  }
  return false;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  while (i < s.size()) {
    const unsigned char b0 = at(i);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 ? 2 : 0;
    if (len == 0 || b0 > 0xF4 || i + len > s.size()) return false;
    char32_t c = b0 & (0xFF >> (len + 1));
    for (std::size_t k = 1; k < len; ++k) {
      if ((at(i + k) & 0xC0) != 0x80) return false;
      c = (c << 6) | (at(i + k) & 0x3F);
    }
    static constexpr char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMinimum[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

SourceEncoding DetectEncoding(std::string_view bytes) {
  // UTF-32 LE first: its mark begins with the UTF-16 LE one.
  static const struct {
    std::string_view mark;
    const char* name;
  } kMarks[] = {
      {std::string_view("\xFF\xFE\x00\x00", 4), "UTF-32LE"},
      {std::string_view("\x00\x00\xFE\xFF", 4), "UTF-32BE"},
      {"\xEF\xBB\xBF", "UTF-8"},
      {"\xFF\xFE", "UTF-16LE"},
      {"\xFE\xFF", "UTF-16BE"},
  };
  for (const auto& m : kMarks) {
    if (StartsWith(bytes, m.mark)) return {m.name, m.mark.size()};
  }
  if (IsValidUtf8(bytes)) return {std::string(kUtf8), 0};

  const std::string detected = Detector(bytes);
  if (IsChineseFamily(detected)) {
    // The program's own table where it reads everything, so GBK files come in byte for byte.
    if (std::optional<std::string> chinese = ReadAsChinese(bytes, false)) return {*chinese, 0};
    return {"GB18030", 0};
  }
  if (IsMultiByte(detected)) return {detected, 0};
  if (std::optional<std::string> chinese = ReadAsChinese(bytes, true)) return {*chinese, 0};
  // The detector says "UTF-8" for short texts it cannot place, and these are not UTF-8.
  if (detected == kUtf8) return {};
  return {detected, 0};
}

DecodedSource DecodeSource(std::string_view bytes, const SourceEncoding& encoding) {
  const std::string_view text = bytes.substr(std::min(encoding.bomBytes, bytes.size()));
  if (encoding.name == kGbk) return DecodeGbkTable(text);
  return DecodeWithIconv(text, encoding.name);
}

}  // namespace wordloom::import
