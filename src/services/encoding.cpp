#include "services/encoding.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace wordloom {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;            // byte b (0x80..0xFF) is carried as U+DC00 + b
constexpr std::uint32_t kFourByteBmpCount = 39420;  // GB18030 four-byte codes of the BMP
constexpr std::uint32_t kPrivateBase = kFourByteBmpCount;  // unassigned range, ours
constexpr std::uint32_t kSupplementaryBase = 189000;       // linear index of 90 30 81 30

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// Converts one short byte sequence with iconv; empty on failure.
std::string Convert(iconv_t cd, std::string_view in) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string input(in);
  char out[16];
  char* inPtr = input.data();
  std::size_t inLeft = input.size();
  char* outPtr = out;
  std::size_t outLeft = sizeof out;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
      inLeft != 0) {
    return {};
  }
  return std::string(out, outPtr);
}

std::string Utf16Unit(char16_t c) {
  return std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
}

char16_t FromUtf16Unit(const std::string& s) {
  return static_cast<char16_t>(static_cast<unsigned char>(s[0]) |
                               (static_cast<unsigned char>(s[1]) << 8));
}

// Code page 936, built once from the C library's table and checked in both directions, so
// a byte pair is decoded only when its character encodes back to the very same pair.
struct Cp936Tables {
  std::array<char16_t, 65536> pair{};         // (lead << 8 | trail) -> character, 0 = none
  std::array<std::uint16_t, 65536> encode{};  // character -> bytes (< 0x100: one byte), 0 = none
  char16_t byte80 = 0;                        // the one-byte character 0x80, if any

  Cp936Tables() {
    iconv_t toUnicode = iconv_open("UTF-16LE", "CP936");
    iconv_t fromUnicode = iconv_open("CP936", "UTF-16LE");
    if (toUnicode == reinterpret_cast<iconv_t>(-1) ||
        fromUnicode == reinterpret_cast<iconv_t>(-1)) {
      return;  // no table: every high byte stays an escape, still lossless
    }
    std::string single = Convert(toUnicode, std::string_view("\x80", 1));
    if (single.size() == 2) {
      char16_t c = FromUtf16Unit(single);
      if (Convert(fromUnicode, single) == std::string("\x80", 1)) {
        byte80 = c;
        encode[c] = 0x80;
      }
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        std::string u = Convert(toUnicode, std::string_view(bytes, 2));
        if (u.size() != 2) continue;
        char16_t c = FromUtf16Unit(u);
        if (c < 0x80 || IsSurrogate(c)) continue;
        if (Convert(fromUnicode, u) != std::string(bytes, 2)) continue;
        pair[(lead << 8) | trail] = c;
        encode[c] = static_cast<std::uint16_t>((lead << 8) | trail);
      }
    }
    iconv_close(toUnicode);
    iconv_close(fromUnicode);
  }
};

const Cp936Tables& Cp936() {
  static const auto tables = std::make_unique<Cp936Tables>();
  return *tables;
}

// GB18030 four-byte codes of the BMP characters that code page 936 cannot hold.
struct FourByteTables {
  std::vector<char16_t> linearToChar = std::vector<char16_t>(kFourByteBmpCount, 0);
  std::vector<std::uint32_t> charToLinear = std::vector<std::uint32_t>(65536, 0xFFFFFFFFu);

  FourByteTables() {
    iconv_t fromUnicode = iconv_open("GB18030", "UTF-16LE");
    if (fromUnicode == reinterpret_cast<iconv_t>(-1)) return;
    const auto& cp936 = Cp936();
    for (std::uint32_t c = 0x80; c <= 0xFFFF; ++c) {
      if (IsSurrogate(c) || cp936.encode[c] != 0) continue;
      std::string g = Convert(fromUnicode, Utf16Unit(static_cast<char16_t>(c)));
      if (g.size() != 4) continue;
      auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(g[i])); };
      std::uint32_t linear =
          (((b(0) - 0x81) * 10 + (b(1) - 0x30)) * 126 + (b(2) - 0x81)) * 10 + (b(3) - 0x30);
      if (linear >= kFourByteBmpCount || linearToChar[linear] != 0) continue;
      linearToChar[linear] = static_cast<char16_t>(c);
      charToLinear[c] = linear;
    }
    iconv_close(fromUnicode);
  }
};

const FourByteTables& FourByte() {
  static const auto tables = std::make_unique<FourByteTables>();
  return *tables;
}

void AppendLinear(Text& out, std::uint32_t linear) {
  char b[4];
  b[3] = static_cast<char>(0x30 + linear % 10);
  linear /= 10;
  b[2] = static_cast<char>(0x81 + linear % 126);
  linear /= 126;
  b[1] = static_cast<char>(0x30 + linear % 10);
  linear /= 10;
  b[0] = static_cast<char>(0x81 + linear);
  out.append(b, 4);
}

bool IsFourByteAt(std::string_view t, std::size_t i, std::uint32_t& linear) {
  if (i + 3 >= t.size()) return false;
  auto b = [&](std::size_t k) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(t[i + k]));
  };
  if (b(0) < 0x81 || b(0) > 0xFE || b(1) < 0x30 || b(1) > 0x39 || b(2) < 0x81 || b(2) > 0xFE ||
      b(3) < 0x30 || b(3) > 0x39) {
    return false;
  }
  linear = (((b(0) - 0x81) * 10 + (b(1) - 0x30)) * 126 + (b(2) - 0x81)) * 10 + (b(3) - 0x30);
  return true;
}

// One step of the content codec at `i`; returns the number of bytes consumed.
std::size_t DecodeOne(const Cp936Tables& t, std::string_view text, std::size_t i,
                      std::u16string& out) {
  auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) {
    out.push_back(b);
    return 1;
  }
  if (b >= 0x81 && b <= 0xFE && i + 1 < text.size()) {
    char16_t c = t.pair[(b << 8) | static_cast<unsigned char>(text[i + 1])];
    if (c != 0) {
      out.push_back(c);
      return 2;
    }
  }
  if (b == 0x80 && t.byte80 != 0) {
    out.push_back(t.byte80);
    return 1;
  }
  out.push_back(static_cast<char16_t>(kEscapeBase + b));
  return 1;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Strict UTF-8 (shortest forms, no surrogates, up to U+10FFFF); every other byte becomes an
// escape, so the encoder gives back exactly the bytes that came in.
std::u16string DecodeUtf8Escaping(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
      out.push_back(b0);
      ++i;
      continue;
    }
    std::size_t len = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    char32_t c = 0;
    bool valid = len != 0 && b0 <= 0xF4 && i + len <= s.size();
    if (valid) {
      c = b0 & (0xFF >> (len + 1));
      for (std::size_t k = 1; k < len; ++k) {
        auto bk = static_cast<unsigned char>(s[i + k]);
        if ((bk & 0xC0) != 0x80) {
          valid = false;
          break;
        }
        c = (c << 6) | (bk & 0x3F);
      }
    }
    static constexpr char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (c < kMinimum[len] || c > 0x10FFFF || IsSurrogate(c))) valid = false;
    if (!valid) {
      out.push_back(static_cast<char16_t>(kEscapeBase + b0));
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return out;
}

// Escapes become their bytes again, or U+FFFD when `replaceEscapes` (valid UTF-8 then).
std::string EncodeUtf8Escaping(std::u16string_view u, bool replaceEscapes = false) {
  std::string out;
  out.reserve(u.size() * 3);
  for (std::size_t i = 0; i < u.size(); ++i) {
    char16_t c = u[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 &&
        u[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (u[i + 1] - 0xDC00));
      ++i;
    } else if (IsEscape(c) && !replaceEscapes) {
      out.push_back(static_cast<char>(c - kEscapeBase));
    } else if (IsSurrogate(c)) {
      AppendUtf8(out, 0xFFFD);  // a lone surrogate has no UTF-8 form
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

}  // namespace

std::u16string DecodeGbk(std::string_view text) {
  const auto& t = Cp936();
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) i += DecodeOne(t, text, i, out);
  return out;
}

GbkEncoding EncodeGbk(std::u16string_view unicode) {
  const auto& t = Cp936();
  GbkEncoding result;
  result.bytes.reserve(unicode.size() * 2);
  for (std::size_t i = 0; i < unicode.size(); ++i) {
    char16_t c = unicode[i];
    if (c < 0x80) {
      result.bytes.push_back(static_cast<char>(c));
    } else if (IsEscape(c)) {
      result.bytes.push_back(static_cast<char>(c - kEscapeBase));
    } else if (!IsSurrogate(c) && t.encode[c] != 0) {
      std::uint16_t e = t.encode[c];
      if (e >= 0x100) result.bytes.push_back(static_cast<char>(e >> 8));
      result.bytes.push_back(static_cast<char>(e & 0xFF));
    } else {
      result.ok = false;
      result.badIndex = i;
      result.bytes.clear();
      return result;
    }
  }
  return result;
}

std::u16string DecodeName(std::string_view text) {
  const auto& t = Cp936();
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t linear = 0;
    if (IsFourByteAt(text, i, linear)) {
      if (linear < kFourByteBmpCount && FourByte().linearToChar[linear] != 0) {
        out.push_back(FourByte().linearToChar[linear]);
        i += 4;
        continue;
      }
      if (linear >= kPrivateBase && linear < kPrivateBase + 65536) {
        out.push_back(static_cast<char16_t>(linear - kPrivateBase));
        i += 4;
        continue;
      }
      if (linear >= kSupplementaryBase && linear < kSupplementaryBase + 0x100000) {
        std::uint32_t v = linear - kSupplementaryBase;
        out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        i += 4;
        continue;
      }
    }
    i += DecodeOne(t, text, i, out);
  }
  return out;
}

Text EncodeName(std::u16string_view unicode) {
  const auto& t = Cp936();
  Text out;
  out.reserve(unicode.size() * 2);
  for (std::size_t i = 0; i < unicode.size(); ++i) {
    char16_t c = unicode[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < unicode.size() && unicode[i + 1] >= 0xDC00 &&
               unicode[i + 1] <= 0xDFFF) {
      AppendLinear(out, kSupplementaryBase + ((static_cast<std::uint32_t>(c) - 0xD800) << 10) +
                            (unicode[i + 1] - 0xDC00));
      ++i;
    } else if (!IsSurrogate(c) && t.encode[c] != 0) {
      std::uint16_t e = t.encode[c];
      if (e >= 0x100) out.push_back(static_cast<char>(e >> 8));
      out.push_back(static_cast<char>(e & 0xFF));
    } else if (!IsSurrogate(c) && FourByte().charToLinear[c] != 0xFFFFFFFFu) {
      AppendLinear(out, FourByte().charToLinear[c]);
    } else {
      // Escaped bytes and anything else without a code: a four-byte code of our own in the
      // unassigned range, so it cannot merge with the bytes around it.
      AppendLinear(out, kPrivateBase + c);
    }
  }
  return out;
}

namespace {
bool IsAscii(std::string_view s) {
  for (char ch : s) {
    if (static_cast<unsigned char>(ch) >= 0x80) return false;
  }
  return true;
}
}  // namespace

// Plain ASCII needs no tables: the common case for paths stays cheap.
std::string TextToFileSystem(std::string_view text) {
  return IsAscii(text) ? std::string(text) : EncodeUtf8Escaping(DecodeName(text));
}

Text FileSystemToText(std::string_view utf8) {
  return IsAscii(utf8) ? Text(utf8) : EncodeName(DecodeUtf8Escaping(utf8));
}

Text Utf8ToText(std::string_view utf8) { return FileSystemToText(utf8); }
std::string TextToUtf8(std::string_view text) { return TextToFileSystem(text); }

std::string ContentToReadableUtf8(std::string_view text) {
  return IsAscii(text) ? std::string(text) : EncodeUtf8Escaping(DecodeGbk(text), true);
}

std::string NameToReadableUtf8(std::string_view name) {
  return IsAscii(name) ? std::string(name) : EncodeUtf8Escaping(DecodeName(name), true);
}

std::string Utf16ToReadableUtf8(std::u16string_view text) { return EncodeUtf8Escaping(text, true); }

std::size_t FirstUndecodableByte(std::string_view text) {
  const auto& t = Cp936();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = bytes[i];
    if (b < 0x80) {
      ++i;
    } else if (b >= 0x81 && b <= 0xFE && i + 1 < text.size() && t.pair[(b << 8) | bytes[i + 1]]) {
      i += 2;
    } else if (b == 0x80 && t.byte80 != 0) {
      ++i;
    } else {
      return i;
    }
  }
  return std::string_view::npos;
}

bool IsValidUtf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b0 = s[i];
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    auto continuation = [&](std::size_t k, unsigned char low = 0x80, unsigned char high = 0xBF) {
      return i + k < n && s[i + k] >= low && s[i + k] <= high;
    };
    if (b0 >= 0xC2 && b0 <= 0xDF && continuation(1)) {
      i += 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF &&
               continuation(1, b0 == 0xE0 ? 0xA0 : 0x80, b0 == 0xED ? 0x9F : 0xBF) &&
               continuation(2)) {
      i += 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4 &&
               continuation(1, b0 == 0xF0 ? 0x90 : 0x80, b0 == 0xF4 ? 0x8F : 0xBF) &&
               continuation(2) && continuation(3)) {
      i += 4;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace wordloom
