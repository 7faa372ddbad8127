// The GBK scans written the slow, plain way the rules state them, for the targets to compare
// the real ones against: walk the text one character at a time (a byte of 0x80 or above and
// the byte after it are one character; a lead byte at the very end stands alone) and try a
// match only where a character begins.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom::fuzz::ref {

inline constexpr std::size_t kNone = static_cast<std::size_t>(-1);

inline std::size_t CharEnd(std::string_view text, std::size_t i) {
  const bool pair = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size();
  return i + (pair ? 2 : 1);
}

// With `ignoreCase`, the ASCII letters A-Z and a-z match their other case, wherever they
// stand; every other byte must be equal.
inline bool MatchesAt(std::string_view text, std::size_t i, std::string_view part,
                      bool ignoreCase) {
  if (text.size() - i < part.size()) return false;
  for (std::size_t k = 0; k < part.size(); ++k) {
    unsigned char a = static_cast<unsigned char>(text[i + k]);
    unsigned char b = static_cast<unsigned char>(part[k]);
    if (ignoreCase && a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a + 32);
    if (ignoreCase && b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b + 32);
    if (a != b) return false;
  }
  return true;
}

// The first match of a non-empty `part` at or after `from`, which is taken as a character
// boundary; kNone when there is none.
inline std::size_t Find(std::string_view text, std::string_view part, std::size_t from,
                        bool ignoreCase) {
  for (std::size_t i = from; i < text.size(); i = CharEnd(text, i)) {
    if (MatchesAt(text, i, part, ignoreCase)) return i;
  }
  return kNone;
}

// Copies the text from `from` on character by character; where `part` matches, emits the
// replacement instead and goes on after the match, until `maxCount` replacements (negative:
// no limit) are made.
inline std::string Replace(std::string_view text, std::string_view part,
                           std::string_view replacement, std::size_t from, long maxCount,
                           bool ignoreCase) {
  if (text.empty() || part.empty() || from >= text.size() || maxCount == 0) {
    return std::string(text);
  }
  std::string out(text.substr(0, from));
  std::size_t i = from;
  long done = 0;
  while (i < text.size()) {
    if (MatchesAt(text, i, part, ignoreCase)) {
      out.append(replacement);
      i += part.size();
      if (maxCount > 0 && ++done == maxCount) break;
    } else {
      const std::size_t end = CharEnd(text, i);
      out.append(text.substr(i, end - i));
      i = end;
    }
  }
  out.append(text.substr(i));
  return out;
}

inline std::size_t Count(std::string_view text, std::string_view part, bool ignoreCase) {
  if (part.empty()) return 0;
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (MatchesAt(text, i, part, ignoreCase)) {
      ++count;
      i += part.size();
    } else {
      i = CharEnd(text, i);
    }
  }
  return count;
}

// Members between the matches of `delimiter`; after the last one, the rest only when it is
// not empty. At most `maxMembers` members (negative: no limit).
inline std::vector<std::string> Split(std::string_view text, std::string_view delimiter,
                                      long maxMembers) {
  std::vector<std::string> members;
  if (text.empty() || maxMembers == 0) return members;
  if (delimiter.empty()) return {std::string(text)};
  std::size_t cut = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (MatchesAt(text, i, delimiter, false)) {
      members.emplace_back(text.substr(cut, i - cut));
      i += delimiter.size();
      cut = i;
      if (maxMembers > 0 && members.size() == static_cast<std::size_t>(maxMembers)) {
        return members;
      }
    } else {
      i = CharEnd(text, i);
    }
  }
  if (cut < text.size()) members.emplace_back(text.substr(cut));
  return members;
}

}  // namespace wordloom::fuzz::ref
