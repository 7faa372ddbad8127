#include "generator/line_draws.h"

#include "services/random.h"

namespace wordloom {
namespace {

// The file and line of one draw; no file where the draw found nothing.
struct Pick {
  const LineIndex* file = nullptr;
  std::size_t line = 0;
};

Pick Draw(const FolderLines& folder) {
  if (folder.files.empty()) return {};
  const LineIndex& lines =
      *folder.files[RandomInRange(1, static_cast<long>(folder.files.size())) - 1];
  if (lines.Count() == 0) return {};
  return {&lines, static_cast<std::size_t>(RandomInRange(1, static_cast<long>(lines.Count())) - 1)};
}

}  // namespace

std::string_view DrawLine(const FolderLines& folder) {
  const Pick pick = Draw(folder);
  return pick.file != nullptr ? pick.file->Line(pick.line) : std::string_view();
}

DrawnLines DrawLines(std::shared_ptr<const FolderLines> folder, std::size_t count) {
  DrawnLines drawn;
  std::vector<Pick> picks(count);
  for (Pick& pick : picks) {
    pick = Draw(*folder);
    if (pick.file != nullptr) __builtin_prefetch(&pick.file->lines[pick.line]);
  }
  drawn.lines_.reserve(count);
  for (const Pick& pick : picks) {
    drawn.lines_.push_back(pick.file != nullptr ? pick.file->Line(pick.line) : std::string_view());
    __builtin_prefetch(drawn.lines_.back().data());
  }
  drawn.keep_ = std::move(folder);
  return drawn;
}

}  // namespace wordloom
