// Drawing lines from a library folder: a file first, then a line of it, each draw seeing
// the folder and the file as the draw cache knows them at that moment.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "generator/draw_cache.h"
#include "services/text.h"

namespace wordloom {

// The lines of `count` draws, in the order they were drawn; empty where the folder had no
// "*.txt" file or the drawn file no line. The lines stay valid while the batch lives.
class DrawnLines {
 public:
  std::string_view Line(std::size_t i) const { return lines_[i]; }
  std::size_t Count() const { return lines_.size(); }

 private:
  friend DrawnLines DrawLines(std::shared_ptr<const FolderLines> folder, std::size_t count);
  std::vector<std::string_view> lines_;
  std::shared_ptr<const FolderLines> keep_;  // what the views point into
};

// One draw: no random number at all when the folder has no file, none for the line when the
// drawn file has none (an empty line then). The line lives as long as the folder's lines.
std::string_view DrawLine(const FolderLines& folder);

// Makes `count` draws from the folder. All draws are made first and the lines are fetched
// afterwards, so that the memory reads of a large library overlap instead of waiting one
// after another; the draws themselves are what one draw after another would give.
DrawnLines DrawLines(std::shared_ptr<const FolderLines> folder, std::size_t count);
inline DrawnLines DrawLines(const Text& folder, std::size_t count) {
  return DrawLines(DrawCache::Instance().Folder(folder), count);
}

}  // namespace wordloom
