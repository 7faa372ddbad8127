#include "services/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace wordloom {
namespace textscan {
namespace {

inline bool IsAsciiLetter(char c) {
  const unsigned char folded = static_cast<unsigned char>(c) | 0x20;
  return folded >= 'a' && folded <= 'z';
}

inline bool EqualIgnoringAsciiCase(const char* a, std::string_view b) {
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (a[i] != b[i] && !(IsAsciiLetter(a[i]) && (a[i] ^ 0x20) == b[i])) return false;
  }
  return true;
}

// As NextCandidate, with ASCII letters matching either case. Looks for the last byte of
// `part` that is no letter, which must match exactly; when every byte is a letter, tries
// every position.
std::size_t NextCandidateIgnoringCase(std::string_view text, std::string_view part,
                                      std::size_t from) {
  const std::size_t m = part.size();
  if (text.size() < m || from > text.size() - m) return kNotFound;
  std::size_t anchor = m;
  while (anchor > 0 && IsAsciiLetter(part[anchor - 1])) --anchor;
  const char* base = text.data();
  const std::size_t last = text.size() - m;  // the last position where `part` still fits
  if (anchor == 0) {
    for (std::size_t q = from; q <= last; ++q) {
      if (EqualIgnoringAsciiCase(base + q, part)) return q;
    }
    return kNotFound;
  }
  --anchor;  // the index in `part` of the byte looked for
  for (std::size_t q = from; q <= last;) {
    const void* hit = std::memchr(base + q + anchor, part[anchor], last - q + 1);
    if (hit == nullptr) break;
    q = static_cast<std::size_t>(static_cast<const char*>(hit) - base) - anchor;
    if (EqualIgnoringAsciiCase(base + q, part)) return q;
    ++q;
  }
  return kNotFound;
}

}  // namespace

std::size_t BoundaryTracker::LastBoundary(std::size_t pos) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text_.data());
  std::size_t j = pos;
  // Eight bytes at a time through runs of double-byte characters.
  while (j >= known_ + 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + j - 8, 8);
    if ((word & 0x8080808080808080u) != 0x8080808080808080u) break;
    j -= 8;
  }
  while (j > known_ && bytes[j - 1] >= 0x80) --j;
  return j + (pos - j) / 2 * 2;  // j is a boundary: known, or just after a byte below 0x80
}

// Looks for the last byte of `part` with memchr: in GBK text the second byte of a
// character is rarer than the first, so fewer candidates need comparing.
std::size_t NextCandidate(std::string_view text, std::string_view part, std::size_t from) {
  const std::size_t m = part.size();
  if (text.size() < m || from > text.size() - m) return kNotFound;
  const char* base = text.data();
  for (std::size_t end = from + m - 1; end < text.size();) {
    const void* hit = std::memchr(base + end, part[m - 1], text.size() - end);
    if (hit == nullptr) break;
    end = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
    if (std::memcmp(base + end + 1 - m, part.data(), m - 1) == 0) return end + 1 - m;
    ++end;
  }
  return kNotFound;
}

std::size_t Find(std::string_view text, std::string_view part, std::size_t start, bool ignoreCase) {
  if (part.empty() || start >= text.size()) return kNotFound;
  auto next = [&](std::size_t from) {
    return ignoreCase ? NextCandidateIgnoringCase(text, part, from)
                      : NextCandidate(text, part, from);
  };
  BoundaryTracker boundaries(text, start);
  for (std::size_t q = next(start); q != kNotFound; q = next(q + 1)) {
    if (boundaries.LastBoundary(q) == q) return q;
    boundaries.SetKnown(q + 1);  // q is the second byte of a character
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
  auto full = [&] {
    return maxMembers > 0 && members.size() >= static_cast<std::size_t>(maxMembers);
  };
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
