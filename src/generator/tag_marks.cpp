#include "generator/tag_marks.h"

namespace wordloom {

TagMarks::TagMarks(const LibraryPlan& plan, std::string_view text)
    : plan_(plan), scanning_(plan.Libraries().size() > kFewLibraries) {
  marked_.assign(plan.Libraries().size(), scanning_ ? 0 : 1);
  if (!scanning_) return;
  plan.Tags().Scan(text, [&](std::uint32_t pattern, std::size_t) {
    for (std::uint32_t library : plan.LibrariesTagged(pattern)) marked_[library] = 1;
  });
  // A new occurrence overlaps the inserted text or spans the place of an empty insertion;
  // either way it lies within the longest tag's length of it.
  watch_.reach = plan.Tags().Empty() ? 0 : plan.Tags().MaxLength() - 1;
  watch_.seen = [this](std::string_view window, std::size_t at, std::size_t length) {
    plan_.Tags().Scan(window, 0, at + length, [&](std::uint32_t pattern, std::size_t from) {
      if (from + plan_.Tags().Length(pattern) <= at) return;  // wholly in the old text
      for (std::uint32_t library : plan_.LibrariesTagged(pattern)) {
        if (library > current_) marked_[library] = 1;
      }
    });
  };
}

const ReplacementWatch* TagMarks::WatchFor(std::size_t library) {
  if (!scanning_ || library + 1 >= marked_.size()) return nullptr;
  current_ = library;
  return &watch_;
}

}  // namespace wordloom
