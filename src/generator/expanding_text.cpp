#include "generator/expanding_text.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace wordloom {
namespace {

// A text under repeated replacement, as a settled part that no search looks at again and
// the rest. A replacement rewrites only the start of the rest, in room kept free before it,
// so the text after the replaced occurrence never moves: each byte is copied about once
// instead of once per replacement.
class ExpandingText {
 public:
  explicit ExpandingText(Text text) : buffer_(std::move(text)) {}

  std::size_t Size() const { return settled_.size() + buffer_.size() - head_; }

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
    if (!replacement.empty()) {  // an empty view may have no address at all
      std::memcpy(buffer_.data() + newHead + before, replacement.data(), replacement.size());
    }
    head_ = newHead;
  }

  // Copies the bytes from `from` to `to` of the whole text.
  void Copy(std::size_t from, std::size_t to, std::string& out) const {
    out.clear();
    if (from < settled_.size()) out.append(settled_, from, std::min(to, settled_.size()) - from);
    if (to > settled_.size()) {
      const std::size_t start = std::max(from, settled_.size()) - settled_.size();
      out.append(buffer_, head_ + start, to - settled_.size() - start);
    }
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

// The first exact occurrence of `tag` at a character boundary (the text read from its
// start) at or after `from`. Keeps the known boundary at most a tag's length behind the
// candidate: the next search may begin that far back.
std::size_t FindTag(std::string_view text, std::string_view tag, std::size_t from,
                    textscan::BoundaryTracker& boundaries) {
  for (std::size_t q = textscan::NextCandidate(text, tag, from); q != textscan::kNotFound;
       q = textscan::NextCandidate(text, tag, q + 1)) {
    const std::size_t behind = q + 1 >= tag.size() ? q + 1 - tag.size() : 0;
    if (behind > boundaries.Known()) boundaries.SetKnown(boundaries.LastBoundary(behind));
    if (boundaries.LastBoundary(q) == q) return q;
  }
  return textscan::kNotFound;
}

// No occurrence can begin more than a tag's length before the last replacement (it would lie
// wholly in text the earlier search passed), so the search resumes there instead of at the
// start, and what lies before the last known character boundary is settled.
}  // namespace

std::optional<std::size_t> ReplaceFirstRepeatedly(
    Text& text, std::string_view tag, std::size_t count,
    const std::function<std::string_view(std::size_t)>& replacement, std::size_t maxBytes,
    const ReplacementWatch* watch) {
  if (count == 0) return 0;
  std::string window;
  ExpandingText work(std::move(text));
  std::size_t from = 0;   // where the next search starts
  std::size_t known = 0;  // a character boundary at or before it
  std::optional<std::size_t> asked = count;
  for (std::size_t i = 0; i < count; ++i) {
    if (from < known) {
      // The occurrence replaced began less than a tag's length after the known boundary,
      // and the next may begin before it: a text that keeps making its tag anew, so rare
      // that starting over from the beginning costs nothing worth avoiding.
      work.Unsettle();
      known = 0;
    }
    work.Settle(known);
    const std::string_view rest = work.Rest();  // starts at `known`
    textscan::BoundaryTracker boundaries(rest, 0);
    const std::size_t p = FindTag(rest, tag, from - known, boundaries);
    if (p == textscan::kNotFound) {  // none now means none later: the text stays
      asked = i;
      break;
    }
    const std::size_t at = known + p;
    known += boundaries.Known();
    const std::string_view inserted = replacement(i);
    if (inserted.size() > tag.size() && work.Size() + (inserted.size() - tag.size()) > maxBytes) {
      asked.reset();
      break;
    }
    work.Replace(at, tag.size(), inserted);
    if (watch != nullptr) {
      const std::size_t from = at > watch->reach ? at - watch->reach : 0;
      work.Copy(from, std::min(work.Size(), at + inserted.size() + watch->reach), window);
      watch->seen(window, at - from, inserted.size());
    }
    from = at + 1 >= tag.size() ? at + 1 - tag.size() : 0;
  }
  text = std::move(work).Take();
  return asked;
}

}  // namespace wordloom
