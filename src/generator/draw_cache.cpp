#include "generator/draw_cache.h"

#include "generator/change_monitor.h"
#include "services/change_epoch.h"
#include "services/files.h"
#include "store/line_rule.h"
#include "store/resource_store.h"
#include "store/store_names.h"
#include "util/file_listing.h"

namespace wordloom {
namespace {

// Beyond this many bytes of file contents the cache starts afresh.
constexpr std::size_t kMaxCachedBytes = std::size_t{256} << 20;

std::shared_ptr<LineIndex> ReadLines(const Text& path) {
  auto index = std::make_shared<LineIndex>();
  index->content = ResourceStore::ReadFileAsText(path);
  // Kept as offsets: files are read up to kMaxFileBytes, far below 4 GiB.
  ForEachLineSpan(index->content, EmptyLastLine::kNoLine, [&](std::size_t begin, std::size_t end) {
    index->lines.emplace_back(static_cast<std::uint32_t>(begin),
                              static_cast<std::uint32_t>(end - begin));
  });
  return index;
}

}  // namespace

DrawCache& DrawCache::Instance() {
  static DrawCache* cache = new DrawCache;  // used by the worker thread until the very end
  return *cache;
}

template <typename T>
std::shared_ptr<const T> DrawCache::Usable(const std::unordered_map<Text, Entry<T>>& entries,
                                           const Text& path) {
  std::lock_guard lock(mutex_);
  auto it = entries.find(path);
  if (it == entries.end()) return nullptr;
  const Entry<T>& entry = it->second;
  if (!entry.value || entry.epoch != CurrentChangeEpoch()) return nullptr;
  if (entry.checkIdentity && IdentifyFile(path) != entry.identity) return nullptr;
  return entry.value;
}

std::shared_ptr<const TextArray> DrawCache::Files(const Text& folder) {
  static const auto kNoFiles = std::make_shared<const TextArray>();
  if (folder.empty()) return kNoFiles;  // a library without a folder
  if (auto cached = Usable(listings_, folder)) return cached;
  // The epoch is taken before the watch and the listing: a change during them is not lost.
  Entry<TextArray> entry;
  entry.epoch = CurrentChangeEpoch();
  entry.checkIdentity = !ChangeMonitor::Instance().Watch(folder);
  if (entry.checkIdentity) entry.identity = IdentifyFile(folder);
  auto files = std::make_shared<TextArray>();
  EnumerateFiles(folder, names::TextFilePattern(), *files, true, false);
  entry.value = files;
  std::lock_guard lock(mutex_);
  listings_[folder] = entry;
  return entry.value;
}

std::shared_ptr<const LineIndex> DrawCache::Lines(const Text& path) {
  if (auto cached = Usable(files_, path)) return cached;
  Entry<LineIndex> entry;
  entry.epoch = CurrentChangeEpoch();
  // A link's target changes without a notification in this folder.
  entry.checkIdentity =
      !ChangeMonitor::Instance().Watch(ParentFolder(path)) || IsSymbolicLink(path);
  if (entry.checkIdentity) entry.identity = IdentifyFile(path);
  std::shared_ptr<LineIndex> index = ReadLines(path);
  entry.value = index;
  std::lock_guard lock(mutex_);
  auto& slot = files_[path];
  if (slot.value) cachedBytes_ -= slot.value->content.size();
  if (cachedBytes_ + index->content.size() > kMaxCachedBytes) {
    files_.clear();
    cachedBytes_ = 0;
  }
  files_[path] = entry;
  cachedBytes_ += index->content.size();
  return entry.value;
}

void DrawCache::Clear() {
  std::lock_guard lock(mutex_);
  listings_.clear();
  files_.clear();
  cachedBytes_ = 0;
}

}  // namespace wordloom
