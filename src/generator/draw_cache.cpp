#include "generator/draw_cache.h"

#include <sys/stat.h>

#include "generator/change_monitor.h"
#include "services/change_epoch.h"
#include "services/encoding.h"
#include "store/resource_store.h"
#include "store/store_names.h"
#include "util/file_listing.h"

namespace wordloom {
namespace {

// Beyond this many bytes of file contents the cache starts afresh.
constexpr std::size_t kMaxCachedBytes = std::size_t{256} << 20;

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool IsSymbolicLink(const std::string& fsPath) {
  struct stat st {};
  return lstat(fsPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::shared_ptr<LineIndex> ReadLines(const Text& path) {
  auto index = std::make_shared<LineIndex>();
  index->content = ResourceStore::ReadFileAsText(path);
  // The line rule (CR LF at character boundaries, no empty last line), kept as offsets.
  const Text& text = index->content;
  std::size_t start = 0;
  for (std::size_t p = textscan::Find(text, "\r\n", 0, false); p != textscan::kNotFound;
       p = textscan::Find(text, "\r\n", start, false)) {
    index->lines.emplace_back(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(p - start));
    start = p + 2;
  }
  if (start < text.size()) {
    index->lines.emplace_back(static_cast<std::uint32_t>(start),
                              static_cast<std::uint32_t>(text.size() - start));
  }
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
  entry.checkIdentity = !ChangeMonitor::Instance().Watch(TextToFileSystem(folder));
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
  const std::string fsPath = TextToFileSystem(path);
  // A link's target changes without a notification in this folder.
  entry.checkIdentity = !ChangeMonitor::Instance().Watch(FolderOf(fsPath)) || IsSymbolicLink(fsPath);
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
