#include "generator/distinct_draws.h"

#include <algorithm>
#include <mutex>
#include <unordered_set>
#include <utility>

#include "services/random.h"

namespace wordloom {
namespace {

// Beyond this many texts in all cached libraries the cache starts afresh (the lines
// themselves belong to the draw cache, which bounds their bytes).
constexpr std::size_t kMaxCachedTexts = std::size_t{32} << 20;

struct TextCache {
  std::mutex mutex;
  std::unordered_map<Text, std::shared_ptr<const DistinctTexts>> byFolder;
  std::size_t texts = 0;
};

TextCache& Cache() {
  static TextCache* cache = new TextCache;  // used by worker threads until the very end
  return *cache;
}

}  // namespace

std::shared_ptr<const DistinctTexts> CurrentDistinctTexts(const Text& folder,
                                                          const FolderLines& lines) {
  const std::vector<std::shared_ptr<const LineIndex>>& files = lines.files;
  TextCache& cache = Cache();
  {
    std::lock_guard lock(cache.mutex);
    auto it = cache.byFolder.find(folder);
    if (it != cache.byFolder.end() && it->second->files_ == files) return it->second;
  }
  // Built outside the lock: two threads may both build the same version, and either result
  // is right.
  auto texts = std::make_shared<DistinctTexts>();
  std::size_t total = 0;
  for (const auto& file : files) total += file->Count();
  std::unordered_set<std::string_view> seen;
  seen.reserve(total);
  texts->texts_.reserve(total);
  for (const auto& file : files) {
    for (std::size_t i = 0; i < file->Count(); ++i) {
      const std::string_view line = file->Line(i);
      if (seen.insert(line).second) texts->texts_.push_back(line);
    }
  }
  texts->texts_.shrink_to_fit();
  texts->files_ = files;
  std::lock_guard lock(cache.mutex);
  auto& slot = cache.byFolder[folder];
  if (slot) cache.texts -= slot->Count();
  if (cache.texts + texts->Count() > kMaxCachedTexts) {
    cache.byFolder.clear();
    cache.texts = 0;
  }
  cache.byFolder[folder] = texts;
  cache.texts += texts->Count();
  return texts;
}

namespace {

constexpr std::uint32_t kNoSlot = UINT32_MAX;

std::size_t Home(std::uint32_t slot, std::size_t capacity) {
  return static_cast<std::size_t>((slot * 0x9E3779B1u) >> 7) & (capacity - 1);
}

}  // namespace

DistinctRound::DistinctRound(std::shared_ptr<const DistinctTexts> texts)
    : texts_(std::move(texts)), unused_(texts_->Count()) {}

std::uint32_t DistinctRound::At(std::uint32_t slot) const {
  if (moved_.empty()) return slot;
  for (std::size_t i = Home(slot, moved_.size());; i = (i + 1) & (moved_.size() - 1)) {
    if (moved_[i].first == slot) return moved_[i].second;
    if (moved_[i].first == kNoSlot) return slot;
  }
}

void DistinctRound::Put(std::uint32_t slot, std::uint32_t text) {
  if (2 * (movedCount_ + 1) > moved_.size()) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> old = std::move(moved_);
    moved_.assign(std::max<std::size_t>(64, old.size() * 2), {kNoSlot, 0});
    movedCount_ = 0;
    for (const auto& [s, t] : old)
      if (s != kNoSlot) Put(s, t);
  }
  for (std::size_t i = Home(slot, moved_.size());; i = (i + 1) & (moved_.size() - 1)) {
    if (moved_[i].first == slot) {
      moved_[i].second = text;
      return;
    }
    if (moved_[i].first == kNoSlot) {
      moved_[i] = {slot, text};
      ++movedCount_;
      return;
    }
  }
}

std::uint32_t DistinctRound::NextIndex() {
  const std::size_t count = texts_->Count();
  if (unused_ == 0) {
    unused_ = count;
    std::fill(moved_.begin(), moved_.end(), std::make_pair(kNoSlot, std::uint32_t{0}));
    movedCount_ = 0;
  }
  const auto drawn = static_cast<std::uint32_t>(EvenRandomBelow(unused_));
  const auto last = static_cast<std::uint32_t>(unused_ - 1);
  const std::uint32_t text = At(drawn);
  // The last unused slot's text moves into the drawn slot; the drawn text leaves the round.
  if (drawn != last) Put(drawn, At(last));
  --unused_;
  return text;
}

DrawnTexts DistinctRound::Draw(std::size_t count) {
  DrawnTexts drawn;
  if (texts_->Count() == 0) {
    drawn.texts_.assign(count, std::string_view());
    return drawn;
  }
  std::vector<std::uint32_t> indexes(count);
  for (std::uint32_t& index : indexes) {
    index = NextIndex();
    texts_->Prefetch(index);
  }
  drawn.texts_.reserve(count);
  for (const std::uint32_t index : indexes) {
    drawn.texts_.push_back(texts_->Get(index));
    __builtin_prefetch(drawn.texts_.back().data());
  }
  return drawn;
}

}  // namespace wordloom
