// Files and folders. Paths are texts (GBK); they meet the file system as UTF-8 only in here.
#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "services/text.h"

namespace wordloom {

// The whole file; empty when the path is empty or the file cannot be read.
ByteArray ReadFileBytes(const Text& path);

// Replaces the file's content with the parts, one after another. The write is atomic: a
// temporary file beside the target is written, checked, flushed and renamed over it, so a
// failure (full disk, missing folder, a folder in the way) leaves the old file as it was.
// The target's permissions are kept; a symbolic link stays a link and its target is written.
bool WriteFileBytes(const Text& path, std::initializer_list<std::string_view> parts);
inline bool WriteFileBytes(const Text& path, std::string_view bytes) {
  return WriteFileBytes(path, {bytes});
}

bool PathExists(const Text& path);
bool IsDirectory(const Text& path);
// Creates one folder level; false when it exists already or its parent is missing.
bool MakeDirectory(const Text& path);
bool RemoveFile(const Text& path);

// Deletes the folder with everything in it, never following a symbolic link: a link inside
// is removed as a link. Refuses an empty path, "/" and a path that is itself a link. True
// when the folder itself was removed.
bool RemoveDirectoryTree(const Text& path);

// Deletes what is inside the open folder `dirFd` under `name` (a folder tree or a single
// entry), without following links. Entries that cannot be deleted stay; false then.
bool RemoveEntryAt(int dirFd, const char* name);

// Removes temporary files that an interrupted write left in the folder.
void SweepTemporaryFiles(const Text& folder);

// True when the name could be one of our temporary files (they never match "*.txt").
bool IsTemporaryFileName(std::string_view name);

// Identity of a file as the cache checks see it; equal identities mean unchanged content.
struct FileIdentity {
  bool exists = false;
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t modifiedNs = 0, changedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentifyFile(const Text& path);

// Matches a file name against a wildcard pattern: "*" any run, "?" one character, ASCII
// letters without regard to case.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// A directory search owned by its caller. First() starts a search on "folder/pattern" and
// yields the first matching name that is not a folder; Next() the following ones; both
// yield "" when no match is left, and the search is then closed.
class FileSearch {
 public:
  FileSearch() = default;
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;
  ~FileSearch() { Close(); }

  Text First(const Text& folderAndPattern);
  Text Next();
  void Close();

 private:
  DIR* dir_ = nullptr;
  Text pattern_;
};

}  // namespace wordloom
