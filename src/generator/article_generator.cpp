#include "generator/article_generator.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "generator/change_monitor.h"
#include "generator/draw_cache.h"
#include "services/random.h"
#include "store/resource_store.h"

namespace wordloom {
namespace {

// Character boundaries of a text, known from one boundary on. A byte below 0x80 always ends
// a character, and within a run of bytes of 0x80 and above the characters pair up, so only
// the bytes after the known boundary need looking at; scans that move the known boundary
// forward look at each byte about once.
class BoundaryTracker {
 public:
  // `known` is taken as a boundary, as a scan that starts there takes it.
  BoundaryTracker(std::string_view text, std::size_t known) : text_(text), known_(known) {}

  std::size_t Known() const { return known_; }
  // `boundary` must be one, and not before the known boundary.
  void SetKnown(std::size_t boundary) { known_ = boundary; }

  // The last boundary at or before `pos`, which must not lie before the known boundary.
  std::size_t LastBoundary(std::size_t pos) const {
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

 private:
  std::string_view text_;
  std::size_t known_;
};

// The next position at or after `from` where `part` (not empty) occurs byte for byte, at a
// character boundary or not. Looks for the last byte of `part` with memchr: in GBK text the
// second byte of a character is rarer than the first, so fewer candidates need comparing.
std::size_t NextCandidate(std::string_view text, std::string_view part, std::size_t from) {
  const std::size_t m = part.size();
  if (text.size() < m || from > text.size() - m) return textscan::kNotFound;
  const char* base = text.data();
  for (std::size_t end = from + m - 1; end < text.size();) {
    const void* hit = std::memchr(base + end, part[m - 1], text.size() - end);
    if (hit == nullptr) break;
    end = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
    if (std::memcmp(base + end + 1 - m, part.data(), m - 1) == 0) return end + 1 - m;
    ++end;
  }
  return textscan::kNotFound;
}

bool IsAsciiLetter(char c) {
  const unsigned char folded = static_cast<unsigned char>(c) | 0x20;
  return folded >= 'a' && folded <= 'z';
}

bool EqualIgnoringAsciiCase(const char* a, std::string_view b) {
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (a[i] != b[i] && !(IsAsciiLetter(a[i]) && (a[i] ^ 0x20) == b[i])) return false;
  }
  return true;
}

// The next position at or after `from` where `part` (not empty) occurs with ASCII letters
// matching either case. Looks for the last byte of `part` that is no letter, which must
// match exactly; when every byte is a letter, tries every position.
std::size_t NextCandidateIgnoringCase(std::string_view text, std::string_view part,
                                      std::size_t from) {
  const std::size_t m = part.size();
  if (text.size() < m || from > text.size() - m) return textscan::kNotFound;
  std::size_t anchor = m;
  while (anchor > 0 && IsAsciiLetter(part[anchor - 1])) --anchor;
  const char* base = text.data();
  const std::size_t last = text.size() - m;  // the last position where `part` still fits
  if (anchor == 0) {
    for (std::size_t q = from; q <= last; ++q) {
      if (EqualIgnoringAsciiCase(base + q, part)) return q;
    }
    return textscan::kNotFound;
  }
  --anchor;  // the index in `part` of the byte looked for
  for (std::size_t q = from; q <= last;) {
    const void* hit = std::memchr(base + q + anchor, part[anchor], last - q + 1);
    if (hit == nullptr) break;
    q = static_cast<std::size_t>(static_cast<const char*>(hit) - base) - anchor;
    if (EqualIgnoringAsciiCase(base + q, part)) return q;
    ++q;
  }
  return textscan::kNotFound;
}

// The first occurrence of `part` (not empty) at a character boundary at or after `start`,
// with `start` taken as a boundary: what textscan::Find(text, part, start, ignoreCase)
// gives, with runs of double-byte characters crossed eight bytes at a time.
std::size_t FindFrom(std::string_view text, std::string_view part, std::size_t start,
                     bool ignoreCase) {
  auto next = [&](std::size_t from) {
    return ignoreCase ? NextCandidateIgnoringCase(text, part, from)
                      : NextCandidate(text, part, from);
  };
  BoundaryTracker boundaries(text, start);
  for (std::size_t q = next(start); q != textscan::kNotFound; q = next(q + 1)) {
    if (boundaries.LastBoundary(q) == q) return q;
    boundaries.SetKnown(q + 1);  // q is the second byte of a character
  }
  return textscan::kNotFound;
}

// The first exact occurrence of `tag` at a character boundary (the text read from its
// start) at or after `from`. Keeps the known boundary at most a tag's length behind the
// candidate: the next search may begin that far back.
std::size_t FindTag(std::string_view text, std::string_view tag, std::size_t from,
                    BoundaryTracker& boundaries) {
  for (std::size_t q = NextCandidate(text, tag, from); q != textscan::kNotFound;
       q = NextCandidate(text, tag, q + 1)) {
    const std::size_t behind = q + 1 >= tag.size() ? q + 1 - tag.size() : 0;
    if (behind > boundaries.Known()) boundaries.SetKnown(boundaries.LastBoundary(behind));
    if (boundaries.LastBoundary(q) == q) return q;
  }
  return textscan::kNotFound;
}

// A text under repeated replacement, as a settled part that no search looks at again and
// the rest. A replacement rewrites only the start of the rest, in room kept free before it,
// so the text after the replaced occurrence never moves: each byte is copied about once
// instead of once per replacement.
class ExpandingText {
 public:
  explicit ExpandingText(Text text) : buffer_(std::move(text)) {}

  std::string_view Rest() const { return std::string_view(buffer_).substr(head_); }

  // Settles the text up to the position `upTo` (not before what is settled already).
  void Settle(std::size_t upTo) {
    const std::size_t n = upTo - settled_.size();
    settled_.append(buffer_, head_, n);
    head_ += n;
  }

  // Replaces `length` bytes at the position `pos` (not before the rest) by `replacement`,
  // which must not point into this text.
  void Replace(std::size_t pos, std::size_t length, std::string_view replacement) {
    const std::size_t before = pos - settled_.size();  // bytes of the rest ahead of it
    const std::size_t needed = before + replacement.size();
    if (needed > head_ + before + length) {
      // Too little room: as much again as the rest holds, so this is rare.
      const std::size_t room = needed + (buffer_.size() - head_);
      Text grown(room, '\0');
      grown.append(buffer_, head_);
      buffer_.swap(grown);
      head_ = room;
    }
    const std::size_t newHead = head_ + before + length - needed;
    std::memmove(buffer_.data() + newHead, buffer_.data() + head_, before);
    std::memcpy(buffer_.data() + newHead + before, replacement.data(), replacement.size());
    head_ = newHead;
  }

  // Makes the whole text the rest again.
  void Unsettle() {
    settled_.append(buffer_, head_);
    buffer_.swap(settled_);
    settled_.clear();
    head_ = 0;
  }

  Text Take() && {
    settled_.append(buffer_, head_);
    return std::move(settled_);
  }

 private:
  Text settled_;
  Text buffer_;  // the rest is buffer_[head_, end)
  std::size_t head_ = 0;
};

// Replaces, `count` times, the first exact occurrence of `tag` in `text` by `next()`.
// Each replacement takes the first occurrence of the text as it is then, which may lie in
// what an earlier replacement inserted. No occurrence can begin more than a tag's length
// before the last replacement (it would lie wholly in text the earlier search passed), so
// the search resumes there instead of at the start, and what lies before the last known
// character boundary is settled.
template <typename NextReplacement>
void ReplaceFirstRepeatedly(Text& text, std::string_view tag, std::size_t count,
                            NextReplacement&& next) {
  if (count == 0) return;
  ExpandingText work(std::move(text));
  std::size_t from = 0;    // where the next search starts
  std::size_t known = 0;   // a character boundary at or before it
  bool exhausted = false;  // once nothing is found, nothing will be: the text stays as it is
  for (std::size_t i = 0; i < count; ++i) {
    const Text replacement = next();  // drawn also when there is nothing left to replace
    if (exhausted) continue;
    if (from < known) {
      // The occurrence replaced began less than a tag's length after the known boundary,
      // and the next may begin before it: a text that keeps making its tag anew, so rare
      // that starting over from the beginning costs nothing worth avoiding.
      work.Unsettle();
      known = 0;
    }
    work.Settle(known);
    const std::string_view rest = work.Rest();  // starts at `known`
    BoundaryTracker boundaries(rest, 0);
    const std::size_t p = FindTag(rest, tag, from - known, boundaries);
    if (p == textscan::kNotFound) {
      exhausted = true;
      continue;
    }
    const std::size_t at = known + p;
    known += boundaries.Known();
    work.Replace(at, tag.size(), replacement);
    from = at + 1 >= tag.size() ? at + 1 - tag.size() : 0;
  }
  text = std::move(work).Take();
}

struct SynonymRule {
  Text find;
  Text replacement;
};

// The rules of one synonym file, cut once per version of the file the draw cache holds
// (one entry per path, so edits do not pile up).
const std::vector<SynonymRule>& RulesOf(const Text& path,
                                        const std::shared_ptr<const LineIndex>& lines) {
  struct Parsed {
    std::shared_ptr<const LineIndex> source;  // kept, so a new version is never mistaken
    std::vector<SynonymRule> rules;
  };
  thread_local std::unordered_map<Text, Parsed> parsed;
  Parsed& entry = parsed[path];
  if (entry.source != lines) {
    entry.rules.clear();
    for (std::size_t i = 0; i < lines->Count(); ++i) {
      TextArray pieces = SplitText(lines->Line(i), "=>");
      // A line without a replacement (no "=>", nothing after it) is no rule at all, and an
      // empty find text replaces nothing.
      if (pieces.size() < 2 || pieces[0].empty()) continue;
      entry.rules.push_back({std::move(pieces[0]), std::move(pieces[1])});
    }
    entry.source = lines;
  }
  return entry.rules;
}

// The two-byte sequences that occur in a text. A find text with a pair that is not there
// cannot occur, so most rules are passed over without a scan. After a replacement only
// the pairs around the inserted text are added; pairs that went away stay marked, which
// costs a useless scan now and then but never skips a rule that could match.
class PairSet {
 public:
  void Reset(std::string_view text) {
    bits_.fill(0);
    Add(text, 0, text.size());
  }

  // Marks the pairs that start in [from, to).
  void Add(std::string_view text, std::size_t from, std::size_t to) {
    to = std::min(to, text.size() > 0 ? text.size() - 1 : 0);
    for (std::size_t i = from; i < to; ++i) {
      const unsigned pair = Pair(text[i], text[i + 1]);
      bits_[pair >> 6] |= std::uint64_t{1} << (pair & 63);
    }
  }

  bool MayOccur(std::string_view find) const {
    if (find.size() < 2) return true;  // one byte: not filtered
    for (std::size_t i = 0; i + 1 < find.size(); ++i) {
      const unsigned pair = Pair(find[i], find[i + 1]);
      if ((bits_[pair >> 6] & (std::uint64_t{1} << (pair & 63))) == 0) return false;
    }
    return true;
  }

 private:
  static unsigned Pair(char a, char b) {
    return static_cast<unsigned>(static_cast<unsigned char>(a)) << 8 |
           static_cast<unsigned char>(b);
  }
  std::array<std::uint64_t, 1024> bits_{};
};

// Replaces every occurrence of the rule's find text as textscan::ReplaceAll does, and marks
// the pairs the inserted text brought in.
void ApplyRule(Text& text, const SynonymRule& rule, PairSet& pairs, Text& scratch) {
  std::size_t p = FindFrom(text, rule.find, 0, false);
  if (p == textscan::kNotFound) return;
  scratch.clear();
  scratch.reserve(text.size() + rule.replacement.size());
  thread_local std::vector<std::size_t> sites;
  sites.clear();
  std::size_t pos = 0;
  while (p != textscan::kNotFound) {
    scratch.append(text, pos, p - pos);
    sites.push_back(scratch.size());
    scratch.append(rule.replacement);
    pos = p + rule.find.size();
    p = FindFrom(text, rule.find, pos, false);
  }
  scratch.append(text, pos);
  text.swap(scratch);
  for (std::size_t site : sites) {
    // The pairs inside the replacement and the two across its ends.
    pairs.Add(text, site > 0 ? site - 1 : 0, site + rule.replacement.size());
  }
}

}  // namespace

ArticleGenerator::ArticleGenerator() { SeedRandom(); }

std::size_t ArticleGenerator::CountOccurrences(std::string_view text, std::string_view tag,
                                               bool caseSensitive) {
  // As textscan::Count does: each search starts where the last occurrence ended.
  if (text.empty() || tag.empty()) return 0;
  std::size_t count = 0;
  for (std::size_t p = FindFrom(text, tag, 0, !caseSensitive); p != textscan::kNotFound;
       p = FindFrom(text, tag, p + tag.size(), !caseSensitive)) {
    ++count;
  }
  return count;
}

Text ArticleGenerator::Generate(const Text& templateText) {
  // Changes made outside this program are taken in once per article; within it the
  // notifications keep arriving on the monitor's thread.
  ChangeMonitor::Instance().Drain();
  return Synonyms(ExpandKeywords(ExpandSentences(templateText)));
}

Text ArticleGenerator::ExpandSentenceTags(Text text) {
  ChangeMonitor::Instance().Drain();
  return ExpandSentences(std::move(text));
}

Text ArticleGenerator::ExpandKeywordTags(Text text) {
  ChangeMonitor::Instance().Drain();
  return ExpandKeywords(std::move(text));
}

Text ArticleGenerator::PickRandomLine(const Text& folder) {
  ChangeMonitor::Instance().Drain();
  return DrawLine(folder);
}

Text ArticleGenerator::ApplySynonyms(Text text) {
  ChangeMonitor::Instance().Drain();
  return Synonyms(std::move(text));
}

Text ArticleGenerator::DrawLine(const Text& folder) {
  std::shared_ptr<const TextArray> files = DrawCache::Instance().Files(folder);
  if (files->empty()) return Text();
  const Text& file = (*files)[RandomInRange(1, static_cast<long>(files->size())) - 1];
  std::shared_ptr<const LineIndex> lines = DrawCache::Instance().Lines(file);
  if (lines->Count() == 0) return Text();
  return Text(lines->Line(RandomInRange(1, static_cast<long>(lines->Count())) - 1));
}

Text ArticleGenerator::ExpandSentences(Text text) {
  for (const Text& name : ResourceStore::ListLibraries(LibraryKind::kSentence)) {
    const Text tag = ResourceStore::ReadTag(LibraryKind::kSentence, name);
    const Text folder = ResourceStore::LibraryFolder(LibraryKind::kSentence, name);
    const std::size_t n = CountOccurrences(text, tag, false);
    ReplaceFirstRepeatedly(text, tag, n, [&] { return DrawLine(folder); });
  }
  return text;
}

Text ArticleGenerator::ExpandKeywords(Text text) {
  for (const Text& name : ResourceStore::ListLibraries(LibraryKind::kKeyword)) {
    const Text tag = ResourceStore::ReadTag(LibraryKind::kKeyword, name);
    const Text folder = ResourceStore::LibraryFolder(LibraryKind::kKeyword, name);
    const Text keyword = DrawLine(folder);  // drawn also when the tag does not occur
    const std::size_t n = CountOccurrences(text, tag, false);
    ReplaceFirstRepeatedly(text, tag, n, [&] { return keyword; });
  }
  return text;
}

Text ArticleGenerator::Synonyms(Text text) {
  std::shared_ptr<const TextArray> files = DrawCache::Instance().Files(ResourceStore::SynonymFolder());
  if (files->empty() || text.empty()) return text;
  thread_local PairSet pairs;
  thread_local Text scratch;
  pairs.Reset(text);
  for (const Text& file : *files) {
    const std::vector<SynonymRule>& rules = RulesOf(file, DrawCache::Instance().Lines(file));
    for (const SynonymRule& rule : rules) {
      if (pairs.MayOccur(rule.find)) ApplyRule(text, rule, pairs, scratch);
    }
  }
  return text;
}

}  // namespace wordloom
