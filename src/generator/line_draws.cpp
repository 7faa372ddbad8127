#include "generator/line_draws.h"

#include <algorithm>

#include "services/random.h"

namespace wordloom {

DrawnLines DrawLines(const Text& folder, std::size_t count) {
  DrawnLines drawn;
  struct Pick {
    const LineIndex* file = nullptr;
    std::size_t line = 0;
  };
  std::vector<Pick> picks(count);
  for (Pick& pick : picks) {
    std::shared_ptr<const TextArray> files = DrawCache::Instance().Files(folder);
    if (files->empty()) continue;
    const Text& path = (*files)[RandomInRange(1, static_cast<long>(files->size())) - 1];
    std::shared_ptr<const LineIndex> lines = DrawCache::Instance().Lines(path);
    if (lines->Count() == 0) continue;
    pick.line = static_cast<std::size_t>(RandomInRange(1, static_cast<long>(lines->Count())) - 1);
    pick.file = lines.get();
    __builtin_prefetch(&lines->lines[pick.line]);
    if (std::find(drawn.keep_.begin(), drawn.keep_.end(), lines) == drawn.keep_.end()) {
      drawn.keep_.push_back(std::move(lines));
    }
  }
  drawn.lines_.reserve(count);
  for (const Pick& pick : picks) {
    drawn.lines_.push_back(pick.file != nullptr ? pick.file->Line(pick.line) : std::string_view());
    __builtin_prefetch(drawn.lines_.back().data());
  }
  return drawn;
}

}  // namespace wordloom
