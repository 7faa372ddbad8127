// A registry as the tag passes use it: the libraries in registry order with their tags and
// folders, and a matcher over the tags. Read and built once while the registry stays as it
// is, and shared by every thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "generator/pattern_matcher.h"
#include "services/text.h"
#include "store/resource_store.h"

namespace wordloom {

struct PlannedLibrary {
  Text tag;
  Text folder;  // empty for a name that can name no folder
};

class LibraryPlan {
 public:
  LibraryPlan(LibraryKind kind, const std::vector<LibraryRecord>& records);

  const std::vector<PlannedLibrary>& Libraries() const { return libraries_; }
  // One pattern for each distinct tag, letter case ignored as the counts ignore it; empty
  // tags (which count nothing) are left out.
  const PatternMatcher& Tags() const { return tags_; }
  // The libraries whose tag is the pattern, in registry order.
  std::span<const std::uint32_t> LibrariesTagged(std::uint32_t pattern) const {
    return std::span<const std::uint32_t>(libraryIds_)
        .subspan(libraryBegin_[pattern], libraryBegin_[pattern + 1] - libraryBegin_[pattern]);
  }

 private:
  std::vector<PlannedLibrary> libraries_;
  PatternMatcher tags_;
  std::vector<std::uint32_t> libraryBegin_;  // by pattern, one more at the end
  std::vector<std::uint32_t> libraryIds_;
};

// The kind's registry as it is now. Read again only after a change may have happened (the
// change epoch moved), and built anew only when its libraries or tags changed.
std::shared_ptr<const LibraryPlan> CurrentLibraryPlan(LibraryKind kind);

}  // namespace wordloom
