// Which libraries' tags a text may hold while a tag pass changes it, from one scan of the
// text and then only of the stretches that replacements change: a library is marked when
// its tag (letter case ignored) occurs anywhere in the bytes, at a character boundary or
// not, so a library that is not marked has no occurrence to count. Later libraries are
// marked as earlier ones insert text that holds or completes their tags.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "generator/expanding_text.h"
#include "generator/library_plan.h"

namespace wordloom {

class TagMarks {
 public:
  TagMarks(const LibraryPlan& plan, std::string_view text);

  bool MayOccur(std::size_t library) const { return marked_[library] != 0; }
  // The watch for the replacements of the library's tag, which marks the later libraries
  // they may concern; null when there is nothing to mark.
  const ReplacementWatch* WatchFor(std::size_t library);

 private:
  // With this few libraries, counting each tag is cheaper than finding which occur.
  static constexpr std::size_t kFewLibraries = 4;

  const LibraryPlan& plan_;
  std::vector<char> marked_;
  bool scanning_ = false;
  std::size_t current_ = 0;  // the library whose replacements the watch sees
  ReplacementWatch watch_;
};

}  // namespace wordloom
