#include "generator/draw_cache.h"

#include <algorithm>

#include "generator/change_monitor.h"
#include "services/change_epoch.h"
#include "services/encoding.h"
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
  // The file read as text (up to its first NUL byte), kept where it was read.
  index->content = ReadFileBytes(path);
  if (const std::size_t nul = index->content.find('\0'); nul != Text::npos) {
    index->content.resize(nul);
  }
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

bool FolderLines::Current() const {
  if (fixed) return true;
  if (epoch != CurrentChangeEpoch()) return false;
  for (const auto& [path, identity] : identities) {
    if (IdentifyFile(path) != identity) return false;
  }
  return true;
}

std::shared_ptr<const TextArray> DrawCache::Files(const Text& folder) {
  static const auto kNoFiles = std::make_shared<const TextArray>();
  if (folder.empty()) return kNoFiles;  // a library without a folder
  return ListingEntry(folder).value;
}

DrawCache::Entry<TextArray> DrawCache::ListingEntry(const Text& folder) {
  {
    std::lock_guard lock(mutex_);
    auto it = listings_.find(folder);
    if (it != listings_.end() && it->second.value) {
      const Entry<TextArray>& entry = it->second;
      if (entry.epoch == CurrentChangeEpoch() &&
          (!entry.checkIdentity || IdentifyFile(folder) == entry.identity)) {
        return entry;
      }
    }
  }
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
  return entry;
}

std::shared_ptr<const LineIndex> DrawCache::Lines(const Text& path) {
  return LinesEntry(path).value;
}

DrawCache::Entry<LineIndex> DrawCache::LinesEntry(const Text& path) {
  {
    std::lock_guard lock(mutex_);
    auto it = files_.find(path);
    if (it != files_.end() && it->second.value) {
      const Entry<LineIndex>& entry = it->second;
      if (entry.epoch == CurrentChangeEpoch() &&
          (!entry.checkIdentity || IdentifyFile(path) == entry.identity)) {
        return entry;
      }
    }
  }
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
    folders_.clear();
    cachedBytes_ = 0;
  }
  files_[path] = entry;
  cachedBytes_ += index->content.size();
  return entry;
}

std::shared_ptr<const FolderLines> DrawCache::Folder(const Text& folder) {
  static const auto kNoFolder = [] {
    auto none = std::make_shared<FolderLines>();
    none->fixed = true;
    return std::shared_ptr<const FolderLines>(std::move(none));
  }();
  if (folder.empty()) return kNoFolder;
  {
    std::lock_guard lock(mutex_);
    auto it = folders_.find(folder);
    if (it != folders_.end() && it->second->Current()) return it->second;
  }
  auto lines = std::make_shared<FolderLines>();
  const Entry<TextArray> listing = ListingEntry(folder);
  lines->epoch = listing.epoch;
  if (listing.checkIdentity) lines->identities.emplace_back(folder, listing.identity);
  for (const Text& path : *listing.value) {
    const Entry<LineIndex> file = LinesEntry(path);
    // Taken apart under different epochs, it is out of date at once and read again.
    lines->epoch = std::min(lines->epoch, file.epoch);
    if (file.checkIdentity) lines->identities.emplace_back(path, file.identity);
    lines->files.push_back(file.value);
  }
  std::lock_guard lock(mutex_);
  folders_[folder] = lines;
  return lines;
}

void DrawCache::Clear() {
  std::lock_guard lock(mutex_);
  listings_.clear();
  files_.clear();
  folders_.clear();
  cachedBytes_ = 0;
}

}  // namespace wordloom
