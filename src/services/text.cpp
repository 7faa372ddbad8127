#include "services/text.h"

#include <algorithm>
#include <cstring>

namespace wordloom {
namespace textscan {
namespace {

inline unsigned char Byte(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}

inline bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

inline bool EqualIgnoringAsciiCase(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x != y && !(IsAsciiLetter(x) && (x ^ 0x20) == y)) return false;
  }
  return true;
}

// Tells whether byte positions are character boundaries of a scan that began at `start`,
// for positions asked in increasing order. A byte below 0x80 always ends a character (it is
// a one-byte character or the second byte of a pair), so only the run of high bytes before
// a position needs looking at: inside such a run the characters pair up.
class BoundaryOracle {
 public:
  BoundaryOracle(std::string_view text, std::size_t start) : text_(text), known_(start) {}

  bool IsBoundary(std::size_t pos) {
    if (pos < known_) return false;  // strictly inside a character already passed
    std::size_t base = known_;
    for (std::size_t j = pos; j > known_; --j) {
      if (Byte(text_, j - 1) < 0x80) {
        base = j;
        break;
      }
    }
    bool boundary = (pos - base) % 2 == 0;
    known_ = boundary ? pos : pos + 1;
    return boundary;
  }

 private:
  std::string_view text_;
  std::size_t known_;  // a boundary at or before every position still to be asked
};

}  // namespace

std::size_t Find(std::string_view text, std::string_view part, std::size_t start,
                 bool ignoreCase) {
  const std::size_t n = text.size();
  const std::size_t m = part.size();
  if (m == 0 || start >= n || n - start < m) return kNotFound;
  BoundaryOracle oracle(text, start);
  const char* base = text.data();
  const std::size_t last = n - m;  // last position where a match still fits

  // The anchor is a byte of `part` that needs no case folding, so memchr/memmem can
  // jump between candidates instead of comparing at every position.
  std::size_t anchor = m;
  if (!ignoreCase) {
    anchor = 0;
  } else {
    for (std::size_t k = 0; k < m; ++k) {
      if (!IsAsciiLetter(Byte(part, k))) {
        anchor = k;
        break;
      }
    }
  }

  if (!ignoreCase) {
    std::size_t pos = start;
    while (pos <= last) {
      const void* hit = memmem(base + pos, n - pos, part.data(), m);
      if (hit == nullptr) return kNotFound;
      std::size_t q = static_cast<const char*>(hit) - base;
      if (oracle.IsBoundary(q)) return q;
      pos = q + 1;
    }
    return kNotFound;
  }

  if (anchor < m) {
    const char anchorByte = part[anchor];
    std::size_t pos = start;
    while (pos <= last) {
      const void* hit = std::memchr(base + pos + anchor, anchorByte, last - pos + 1);
      if (hit == nullptr) return kNotFound;
      std::size_t q = static_cast<const char*>(hit) - base - anchor;
      if (EqualIgnoringAsciiCase(base + q, part.data(), m) && oracle.IsBoundary(q)) return q;
      pos = q + 1;
    }
    return kNotFound;
  }

  // Every byte of `part` is a letter: walk the characters.
  for (std::size_t pos = start; pos <= last; pos += CharLength(text, pos)) {
    if (EqualIgnoringAsciiCase(base + pos, part.data(), m)) return pos;
  }
  return kNotFound;
}

std::size_t Count(std::string_view text, std::string_view part, bool ignoreCase) {
  if (text.empty() || part.empty()) return 0;
  std::size_t count = 0;
  for (std::size_t p = Find(text, part, 0, ignoreCase); p != kNotFound;
       p = Find(text, part, p + part.size(), ignoreCase)) {
    ++count;
  }
  return count;
}

Text ReplaceAll(std::string_view text, std::string_view part, std::string_view replacement) {
  if (text.empty() || part.empty()) return Text(text);
  std::size_t p = Find(text, part, 0, false);
  if (p == kNotFound) return Text(text);
  Text out;
  out.reserve(text.size() + replacement.size());
  std::size_t pos = 0;
  while (p != kNotFound) {
    out.append(text, pos, p - pos);
    out.append(replacement);
    pos = p + part.size();
    p = Find(text, part, pos, false);
  }
  out.append(text, pos);
  return out;
}

}  // namespace textscan

long TextLength(std::string_view text) { return static_cast<long>(text.size()); }

Text RightText(std::string_view text, long n) {
  if (n <= 0) return Text();
  if (static_cast<std::size_t>(n) >= text.size()) return Text(text);
  return Text(text.substr(text.size() - static_cast<std::size_t>(n)));
}

long FindText(std::string_view text, std::string_view part, long start, bool ignoreCase) {
  if (part.empty()) return text.empty() ? -1 : 1;
  std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
  std::size_t p = textscan::Find(text, part, from, ignoreCase);
  return p == textscan::kNotFound ? -1 : static_cast<long>(p + 1);
}

Text ReplaceText(std::string_view text, std::string_view part, std::string_view replacement,
                 long start, long maxCount, bool caseSensitive) {
  std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
  if (text.empty() || part.empty() || from >= text.size() || maxCount == 0) return Text(text);
  Text out(text.substr(0, from));
  std::size_t pos = from;
  long done = 0;
  for (std::size_t p = textscan::Find(text, part, pos, !caseSensitive); p != textscan::kNotFound;
       p = textscan::Find(text, part, pos, !caseSensitive)) {
    out.append(text, pos, p - pos);
    out.append(replacement);
    pos = p + part.size();
    if (maxCount > 0 && ++done == maxCount) break;
  }
  out.append(text, pos);
  return out;
}

TextArray SplitText(std::string_view text, std::string_view delimiter, long maxMembers) {
  TextArray members;
  if (text.empty() || maxMembers == 0) return members;
  if (delimiter.empty()) {
    members.emplace_back(text);
    return members;
  }
  auto full = [&] { return maxMembers > 0 && members.size() >= static_cast<std::size_t>(maxMembers); };
  std::size_t pos = 0;
  for (std::size_t p = textscan::Find(text, delimiter, 0, false); p != textscan::kNotFound;
       p = textscan::Find(text, delimiter, pos, false)) {
    members.emplace_back(text.substr(pos, p - pos));
    pos = p + delimiter.size();
    if (full()) return members;
  }
  if (pos < text.size()) members.emplace_back(text.substr(pos));
  return members;
}

Text CharFromCode(int code) { return Text(1, static_cast<char>(code & 0xFF)); }

Text ToText(long long number) { return std::to_string(number); }

Text ToText(const ByteArray& bytes) {
  std::size_t nul = bytes.find('\0');
  return nul == ByteArray::npos ? bytes : bytes.substr(0, nul);
}

ByteArray ToBytes(std::string_view text) { return ByteArray(text); }

long long IntegerDivide(long long dividend, long long divisor) {
  return divisor == 0 ? 0 : dividend / divisor;
}

}  // namespace wordloom
