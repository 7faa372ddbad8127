// Files and folders. Paths are texts (GBK); they meet the file system as UTF-8 only in here.
#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "services/text.h"

namespace wordloom {

// Every read stops here. No text of a store comes near it, and it keeps memory bounded when
// a path names something huge or endless.
inline constexpr std::uint64_t kMaxFileBytes = std::uint64_t{256} << 20;  // 256 MiB

// Failures of the program's own, beside the system's error numbers.
inline constexpr int kNotRegularFile = -1;  // a pipe, device or socket where a file belongs
inline constexpr int kStoreBusy = -2;       // another writer held the store lock too long
inline constexpr int kRefusedName = -3;     // a name that cannot be stored or read back
inline constexpr int kChangedOnDisk = -4;   // the file changed since it was shown
inline constexpr int kFileTooLarge = -5;    // beyond kMaxFileBytes, the read limit

// How a file operation ended: done, or why not (an errno value or one of the codes above).
struct FileStatus {
  int error = 0;

  static FileStatus Done() { return {}; }
  static FileStatus Failed(int code) { return {code == 0 ? EIO : code}; }
  bool ok() const { return error == 0; }
  explicit operator bool() const { return ok(); }
  // Nothing at the path: for a file that is read and then rewritten, the same as empty.
  bool missing() const { return error == ENOENT; }
};

// The reason in plain English, for the command-line tools.
std::string DescribeFileError(int error);

// A file's bytes and how the read went. Only regular files are read, opened without
// blocking (a pipe or a device reads as kNotRegularFile), and never more than kMaxFileBytes
// (kFileTooLarge beyond it). On failure the bytes are empty.
struct FileContent {
  ByteArray bytes;
  FileStatus status;
};
FileContent ReadFile(const Text& path);

// The whole file; empty when the path is empty or the file cannot be read.
ByteArray ReadFileBytes(const Text& path);

// Replaces the file's content with the parts, one after another. The write is atomic: a
// temporary file beside the target is written, checked, flushed and renamed over it, so a
// failure (full disk, missing folder, a folder in the way) leaves the old file as it was.
// The target's permissions are kept; a symbolic link stays a link and its target is written.
FileStatus WriteFileBytes(const Text& path, std::initializer_list<std::string_view> parts);
inline FileStatus WriteFileBytes(const Text& path, std::string_view bytes) {
  return WriteFileBytes(path, {bytes});
}

// Writes a new file, as WriteFileBytes does, but never over anything: EEXIST when the path
// is taken (a file, a folder or a link, also one that points nowhere), also when something
// appears there while the file is being written.
FileStatus WriteNewFileBytes(const Text& path, std::string_view bytes);

// Writes all the bytes to an open file, going on after an interrupted write; false with
// errno set when the system refuses the rest.
bool WriteToDescriptor(int fd, std::string_view bytes);

bool PathExists(const Text& path);
bool IsDirectory(const Text& path);
bool IsSymbolicLink(const Text& path);

// What a path names, following links.
enum class PathKind { kMissing, kFolder, kFile, kOther };
PathKind KindOfPath(const Text& path);

// The folder that holds the path ("." for a bare name, "/" for a name at the root).
Text ParentFolder(const Text& path);
// Creates one folder level; EEXIST when something is there already, ENOENT when the
// parent is missing.
FileStatus MakeDirectory(const Text& path);
FileStatus RemoveFile(const Text& path);

// Deletes the folder with everything in it, never following a symbolic link: a link inside
// is removed as a link. Refuses an empty path, "/" and a path that is itself a link. True
// when the folder itself was removed.
bool RemoveDirectoryTree(const Text& path);

// What became of a folder that was to be deleted.
enum class FolderRemoval {
  kRemoved,       // the folder and everything in it are gone
  kNothingThere,  // there was no folder
  kRefused,       // not a real folder (a link or a file): left alone
  kIncomplete,    // some entries could not be deleted and are still on disk
};

// Deletes the folder `name` directly inside `parent` with everything in it, never
// following a link: a link or a file in its place is refused, a link inside is removed as a
// link. `name` must be a single path component.
FolderRemoval RemoveChildFolder(const Text& parent, const Text& name);

// Removes temporary files that an interrupted write left in the folder; the file of a write
// still running (in this or another process) is left alone.
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

// The names of the folders directly in `folder` (a link to a folder counts as one), in
// directory order. No entry is opened: a pipe or a device among them costs nothing.
TextArray ListSubfolders(const Text& folder);

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
