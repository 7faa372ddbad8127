// Text and byte-array operations on GBK byte strings.
//
// Positions handed in and out are 1-based byte positions; scanning is double-byte
// aware: a byte of 0x80 or above opens a two-byte character, and a match can only
// begin at a character boundary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom {

using Text = std::string;             // GBK bytes
using ByteArray = std::string;        // counted bytes, may hold NUL
using TextArray = std::vector<Text>;  // addressed 1..count by callers

inline constexpr long kAllReplacements = -1;
inline constexpr long kUnlimitedMembers = -1;

// True when the byte opens a two-byte character.
inline bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

// Length of the character starting at `pos` (1 or 2; 1 for a lead byte at the very end).
inline std::size_t CharLength(std::string_view text, std::size_t pos) {
  return (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
}

long TextLength(std::string_view text);
Text RightText(std::string_view text, long n);

// 1-based position of the first occurrence of `part` at or after `start`, or -1.
long FindText(std::string_view text, std::string_view part, long start = 1,
              bool ignoreCase = false);

// Replaces occurrences of `part` from `start` on, at most `maxCount` of them.
// The case-sensitive flag defaults to false, as the service always did.
Text ReplaceText(std::string_view text, std::string_view part, std::string_view replacement = {},
                 long start = 1, long maxCount = kAllReplacements, bool caseSensitive = false);

TextArray SplitText(std::string_view text, std::string_view delimiter = ",",
                    long maxMembers = kUnlimitedMembers);

Text CharFromCode(int code);
Text ToText(long long number);
// The bytes up to (not including) the first NUL byte.
Text ToText(const ByteArray& bytes);
ByteArray ToBytes(std::string_view text);
long long IntegerDivide(long long dividend, long long divisor);

// 0-based internals shared by the text services and the generator's hot loops.
namespace textscan {

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Character boundaries of a text, known from one boundary on. A byte below 0x80 always
// ends a character (it is one, or the second byte of a pair), and within a run of bytes of
// 0x80 and above the characters pair up, so only the bytes after the known boundary need
// looking at; scans that move the known boundary forward look at each byte about once.
class BoundaryTracker {
 public:
  // `known` is taken as a boundary, as a scan that starts there takes it.
  BoundaryTracker(std::string_view text, std::size_t known) : text_(text), known_(known) {}

  std::size_t Known() const { return known_; }
  // `boundary` must be one, and not before the known boundary.
  void SetKnown(std::size_t boundary) { known_ = boundary; }
  // The last boundary at or before `pos`, which must not lie before the known boundary.
  std::size_t LastBoundary(std::size_t pos) const;

 private:
  std::string_view text_;
  std::size_t known_;
};

// The next position at or after `from` where `part` (not empty) occurs byte for byte, at a
// character boundary or not.
std::size_t NextCandidate(std::string_view text, std::string_view part, std::size_t from);

// First occurrence of `part` at a character boundary at or after `start` (itself taken as a
// boundary), or kNotFound. `part` must not be empty.
std::size_t Find(std::string_view text, std::string_view part, std::size_t start, bool ignoreCase);

// Number of non-overlapping occurrences, scanning from the start (CountOccurrences).
std::size_t Count(std::string_view text, std::string_view part, bool ignoreCase);

// Replaces every exact occurrence; inserted text is never scanned again.
Text ReplaceAll(std::string_view text, std::string_view part, std::string_view replacement);

}  // namespace textscan

}  // namespace wordloom
