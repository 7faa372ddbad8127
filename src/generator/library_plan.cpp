#include "generator/library_plan.h"

#include <sys/stat.h>

#include <mutex>
#include <string_view>
#include <unordered_map>

#include "generator/change_monitor.h"
#include "services/change_epoch.h"
#include "services/encoding.h"
#include "services/files.h"

namespace wordloom {
namespace {

Text Folded(std::string_view tag) {
  Text folded(tag);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
  }
  return folded;
}

bool SameLibraries(const std::vector<LibraryRecord>& a, const std::vector<LibraryRecord>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].tag != b[i].tag) return false;
  }
  return true;
}

}  // namespace

LibraryPlan::LibraryPlan(LibraryKind kind, const std::vector<LibraryRecord>& records) {
  std::vector<Text> folded;
  std::unordered_map<Text, std::uint32_t> patternOf;
  std::vector<std::uint32_t> patternOfLibrary;
  for (const LibraryRecord& record : records) {
    libraries_.push_back({record.tag, ResourceStore::LibraryFolder(kind, record.name)});
    if (record.tag.empty()) {
      patternOfLibrary.push_back(PatternMatcher::kNoPattern);
      continue;
    }
    auto [it, added] =
        patternOf.try_emplace(Folded(record.tag), static_cast<std::uint32_t>(folded.size()));
    if (added) folded.push_back(it->first);
    patternOfLibrary.push_back(it->second);
  }
  tags_ = PatternMatcher(std::vector<std::string_view>(folded.begin(), folded.end()), true);
  libraryBegin_.assign(folded.size() + 1, 0);
  for (std::uint32_t pattern : patternOfLibrary) {
    if (pattern != PatternMatcher::kNoPattern) ++libraryBegin_[pattern + 1];
  }
  for (std::size_t p = 0; p < folded.size(); ++p) libraryBegin_[p + 1] += libraryBegin_[p];
  std::vector<std::uint32_t> filled(libraryBegin_.begin(), libraryBegin_.end() - 1);
  libraryIds_.resize(libraryBegin_.back());
  for (std::uint32_t library = 0; library < patternOfLibrary.size(); ++library) {
    const std::uint32_t pattern = patternOfLibrary[library];
    if (pattern != PatternMatcher::kNoPattern) libraryIds_[filled[pattern]++] = library;
  }
}

std::shared_ptr<const LibraryPlan> CurrentLibraryPlan(LibraryKind kind) {
  struct Built {
    Text path;
    std::uint64_t epoch = 0;
    bool checkIdentity = false;  // no notification covers the registry
    FileIdentity identity;
    std::vector<LibraryRecord> records;
    std::shared_ptr<const LibraryPlan> plan;
  };
  static std::mutex mutex;
  static Built* builtByKind = new Built[2];  // used by worker threads until the very end
  Built& built = builtByKind[kind == LibraryKind::kSentence ? 0 : 1];

  const Text path = ResourceStore::RegistryPath(kind);
  std::lock_guard lock(mutex);
  if (built.plan && built.path == path && built.epoch == CurrentChangeEpoch() &&
      (!built.checkIdentity || IdentifyFile(path) == built.identity)) {
    return built.plan;
  }
  // The epoch is taken before the watch and the reading: a change during them is not lost.
  built.epoch = CurrentChangeEpoch();
  // The registry lies in the run directory. A link's target changes without a notification
  // there.
  struct stat st {};
  built.checkIdentity = !ChangeMonitor::Instance().Watch(ResourceStore::RunDirectory()) ||
                        (lstat(TextToFileSystem(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode));
  if (built.checkIdentity) built.identity = IdentifyFile(path);
  std::vector<LibraryRecord> records = ResourceStore::ListLibrariesWithTags(kind);
  if (!built.plan || built.path != path || !SameLibraries(records, built.records)) {
    built.plan = std::make_shared<const LibraryPlan>(kind, records);
    built.records = std::move(records);
  }
  built.path = path;
  return built.plan;
}

}  // namespace wordloom
