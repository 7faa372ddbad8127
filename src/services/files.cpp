#include "services/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "services/change_epoch.h"
#include "services/encoding.h"

namespace wordloom {
namespace {

constexpr std::string_view kTempPrefix = ".wordloom-";
constexpr std::string_view kTempSuffix = ".tmp";

std::string FsPath(const Text& path) { return TextToFileSystem(path); }

std::string ParentOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Creates a fresh temporary file in `folder` with the given mode (the umask applies).
int CreateTemporary(const std::string& folder, mode_t mode, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    unsigned long tag = static_cast<unsigned long>(ts.tv_nsec) ^
                        (static_cast<unsigned long>(getpid()) << 20) ^ (counter++ * 7919ul);
    name = folder + "/" + std::string(kTempPrefix) + std::to_string(tag % 100000000ul) +
           std::string(kTempSuffix);
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A file of tens of megabytes (a library of a million lines) is read into fresh memory, and
// faulting it in 4 KiB pages costs more than reading it; 2 MiB pages cut that to a few
// dozen faults. Only a hint: the kernel may decline, and small buffers are left alone.
void AskForHugePages(char* buffer, std::size_t size) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  if (size < 2 * kHugePage) return;
  const auto start = reinterpret_cast<std::uintptr_t>(buffer);
  const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (start + size) & ~(kHugePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

bool IsDirectoryEntry(DIR* dir, const dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
  struct stat st {};
  // A link to a folder counts as a folder, as the search always treated it.
  return fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string DescribeFileError(int error) {
  switch (error) {
    case 0:
      return "done";
    case kNotRegularFile:
      return "not a regular file (a pipe, a device or a socket)";
    case kStoreBusy:
      return "the store is being written by another program; try again";
    case kRefusedName:
      return "a name that cannot be stored";
    case kChangedOnDisk:
      return "changed on disk since it was read";
    case kFileTooLarge:
      return "file too large (files are read up to 256 MiB)";
    default:
      return std::strerror(error);
  }
}

FileContent ReadFile(const Text& path) {
  FileContent content;
  if (path.empty()) {
    content.status = FileStatus::Failed(ENOENT);
    return content;
  }
  // Without blocking: opening a pipe for reading would wait for a writer forever.
  const int fd = ::open(FsPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    content.status = FileStatus::Failed(errno);
    return content;
  }
  struct stat st {};
  int error = 0;
  if (fstat(fd, &st) != 0) {
    error = errno;
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  } else if (!S_ISREG(st.st_mode)) {
    error = kNotRegularFile;
  } else if (static_cast<std::uint64_t>(st.st_size) > kMaxFileBytes) {
    error = kFileTooLarge;
  }
  if (error == 0) {
    content.bytes.reserve(static_cast<std::size_t>(st.st_size));
    AskForHugePages(content.bytes.data(), content.bytes.capacity());
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = errno;
        break;
      }
      if (n == 0) break;
      // A file that grows while it is read still stops at the limit.
      if (content.bytes.size() + static_cast<std::size_t>(n) > kMaxFileBytes) {
        error = kFileTooLarge;
        break;
      }
      content.bytes.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (error != 0) {
    content.bytes.clear();
    content.bytes.shrink_to_fit();
    content.status = FileStatus::Failed(error);
  }
  return content;
}

ByteArray ReadFileBytes(const Text& path) { return ReadFile(path).bytes; }

namespace {

// Writes the parts into a fresh temporary file beside `target` and moves it into place:
// over whatever is there, or, with `replace` false, only where nothing is (EEXIST else).
// `existing` is the target's status when it exists: its permissions and owner are kept.
FileStatus WriteAndPlace(const std::string& target, const struct stat* existing,
                         std::initializer_list<std::string_view> parts, bool replace) {
  const mode_t mode = existing != nullptr ? (existing->st_mode & 07777) : 0666;
  const std::string folder = ParentOf(target);

  std::string tempName;
  int fd = CreateTemporary(folder, existing != nullptr ? 0600 : mode, tempName);
  if (fd < 0) return FileStatus::Failed(errno);
  // Held until the file is closed, so the start-up sweep of another running copy of the
  // program sees the write is alive and leaves the file alone.
  ::flock(fd, LOCK_EX | LOCK_NB);
  int error = 0;
  auto check = [&error](bool done) {
    if (!done && error == 0) error = errno != 0 ? errno : EIO;
  };
  errno = 0;
  for (std::string_view part : parts) {
    if (error == 0) check(WriteToDescriptor(fd, part));
  }
  if (error == 0 && existing != nullptr) {
    check(fchmod(fd, mode) == 0);
    if (fchown(fd, existing->st_uid, existing->st_gid) != 0) {
      // Only the superuser may give the file back to its owner; others keep their own.
    }
  }
  if (error == 0 && fdatasync(fd) != 0 && errno != EINVAL) check(false);
  check(::close(fd) == 0);
  if (error == 0 && replace) check(::rename(tempName.c_str(), target.c_str()) == 0);
  bool linked = false;
  if (error == 0 && !replace) {
    // Only where nothing is, decided by the file system at the moment of the move. A file
    // system without the flag still refuses a taken name through link().
    if (::renameat2(AT_FDCWD, tempName.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
      if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) {
        linked = ::link(tempName.c_str(), target.c_str()) == 0;
        check(linked);
      } else {
        check(false);
      }
    }
  }
  BumpChangeEpoch();
  // After a link the temporary name is a spare second name of the file.
  if (error != 0 || linked) ::unlink(tempName.c_str());
  if (error != 0) return FileStatus::Failed(error);
  SyncFolder(folder);
  return FileStatus::Done();
}

}  // namespace

FileStatus WriteFileBytes(const Text& path, std::initializer_list<std::string_view> parts) {
  if (path.empty()) return FileStatus::Failed(ENOENT);
  std::string target = FsPath(path);
  struct stat st {};
  if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(target.c_str(), resolved) == nullptr) return FileStatus::Failed(errno);
    target = resolved;
  }
  const bool exists = stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return FileStatus::Failed(EISDIR);
  if (exists && !S_ISREG(st.st_mode)) return FileStatus::Failed(kNotRegularFile);
  return WriteAndPlace(target, exists ? &st : nullptr, parts, true);
}

FileStatus WriteNewFileBytes(const Text& path, std::string_view bytes) {
  if (path.empty()) return FileStatus::Failed(ENOENT);
  const std::string target = FsPath(path);
  // A link counts as taken, also one that points nowhere: writing would create its target.
  struct stat st {};
  if (lstat(target.c_str(), &st) == 0) return FileStatus::Failed(EEXIST);
  return WriteAndPlace(target, nullptr, {bytes}, false);
}

bool PathExists(const Text& path) {
  struct stat st {};
  return !path.empty() && lstat(FsPath(path).c_str(), &st) == 0;
}

bool IsDirectory(const Text& path) { return KindOfPath(path) == PathKind::kFolder; }

bool IsSymbolicLink(const Text& path) {
  struct stat st {};
  return !path.empty() && lstat(FsPath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

PathKind KindOfPath(const Text& path) {
  struct stat st {};
  if (path.empty() || ::stat(FsPath(path).c_str(), &st) != 0) return PathKind::kMissing;
  if (S_ISDIR(st.st_mode)) return PathKind::kFolder;
  return S_ISREG(st.st_mode) ? PathKind::kFile : PathKind::kOther;
}

// "/" is below 0x40, so it is never the second byte of a character: a byte search is safe.
Text ParentFolder(const Text& path) { return FileSystemToText(ParentOf(FsPath(path))); }

// Every change this program makes moves the change epoch afterwards, so caches of file
// contents see it at their next use.
FileStatus MakeDirectory(const Text& path) {
  if (path.empty()) return FileStatus::Failed(ENOENT);
  const bool made = ::mkdir(FsPath(path).c_str(), 0777) == 0;
  const int error = errno;
  BumpChangeEpoch();
  return made ? FileStatus::Done() : FileStatus::Failed(error);
}

FileStatus RemoveFile(const Text& path) {
  if (path.empty()) return FileStatus::Failed(ENOENT);
  const bool removed = ::unlink(FsPath(path).c_str()) == 0;
  const int error = errno;
  BumpChangeEpoch();
  return removed ? FileStatus::Done() : FileStatus::Failed(error);
}

// Deletes what is inside the open folder `dirFd` under `name` (a folder tree or a single
// entry), without following links. Entries that cannot be deleted stay; false then.
static bool RemoveEntryAt(int dirFd, const char* name) {
  struct stat st {};
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    bool removed = unlinkat(dirFd, name, 0) == 0;
    BumpChangeEpoch();
    return removed;
  }

  int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return false;
  }
  bool complete = true;
  while (dirent* entry = readdir(dir)) {
    std::string_view child = entry->d_name;
    if (child == "." || child == "..") continue;
    if (!RemoveEntryAt(dirfd(dir), entry->d_name)) complete = false;
  }
  closedir(dir);
  bool removed = unlinkat(dirFd, name, AT_REMOVEDIR) == 0;
  BumpChangeEpoch();
  return removed && complete;
}

FolderRemoval RemoveChildFolder(const Text& parent, const Text& name) {
  const int parentFd = ::open(FsPath(parent).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parentFd < 0) return FolderRemoval::kNothingThere;
  const std::string entry = FsPath(name);
  struct stat st {};
  FolderRemoval result;
  if (fstatat(parentFd, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    result = FolderRemoval::kNothingThere;
  } else if (!S_ISDIR(st.st_mode)) {
    result = FolderRemoval::kRefused;  // a link or a file is not the folder
  } else {
    result = RemoveEntryAt(parentFd, entry.c_str()) ? FolderRemoval::kRemoved
                                                    : FolderRemoval::kIncomplete;
  }
  ::close(parentFd);
  return result;
}

bool RemoveDirectoryTree(const Text& path) {
  std::size_t first = path.find_first_not_of(' ');
  if (first == Text::npos) return false;
  std::string fs = FsPath(path.substr(first));
  while (fs.size() > 1 && fs.back() == '/') fs.pop_back();
  if (fs == "/" || fs == "." || fs == "..") return false;
  struct stat st {};
  if (lstat(fs.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;  // links refused

  std::size_t slash = fs.find_last_of('/');
  std::string parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : fs.substr(0, slash));
  std::string name = slash == std::string::npos ? fs : fs.substr(slash + 1);
  if (name == "." || name == "..") return false;
  int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parentFd < 0) return false;
  bool removed = RemoveEntryAt(parentFd, name.c_str());
  ::close(parentFd);
  return removed;
}

bool IsTemporaryFileName(std::string_view name) {
  return name.size() > kTempPrefix.size() + kTempSuffix.size() && name.starts_with(kTempPrefix) &&
         name.ends_with(kTempSuffix);
}

void SweepTemporaryFiles(const Text& folder) {
  DIR* dir = opendir(FsPath(folder).c_str());
  if (dir == nullptr) return;
  while (dirent* entry = readdir(dir)) {
    if (!IsTemporaryFileName(entry->d_name)) continue;
    const int fd = openat(dirfd(dir), entry->d_name,
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    // A write in progress holds its file locked; only a leftover can be locked here.
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      unlinkat(dirfd(dir), entry->d_name, 0);
    }
    ::close(fd);
  }
  closedir(dir);
}

FileIdentity IdentifyFile(const Text& path) {
  FileIdentity id;
  struct stat st {};
  if (path.empty() || stat(FsPath(path).c_str(), &st) != 0) return id;
  id.exists = true;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.size = static_cast<std::uint64_t>(st.st_size);
  id.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  id.changedNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return id;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c | 0x20 : c; };
  std::size_t n = 0, p = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharLength(name, n);
    } else if (p < pattern.size() && fold(static_cast<unsigned char>(pattern[p])) ==
                                         fold(static_cast<unsigned char>(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      starN += CharLength(name, starN);  // a star swallows whole characters
      n = starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

TextArray ListSubfolders(const Text& folder) {
  TextArray names;
  if (folder.empty()) return names;
  DIR* dir = opendir(FsPath(folder).c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    std::string_view raw = entry->d_name;
    if (raw == "." || raw == ".." || !IsDirectoryEntry(dir, entry)) continue;
    names.push_back(FileSystemToText(raw));
  }
  closedir(dir);
  return names;
}

Text FileSearch::First(const Text& folderAndPattern) {
  Close();
  std::size_t slash = folderAndPattern.find_last_of('/');
  Text folder = slash == Text::npos ? Text(".") : folderAndPattern.substr(0, slash);
  if (folder.empty()) folder = "/";
  pattern_ = slash == Text::npos ? folderAndPattern : folderAndPattern.substr(slash + 1);
  dir_ = opendir(FsPath(folder).c_str());
  return Next();
}

Text FileSearch::Next() {
  if (dir_ == nullptr) return Text();
  while (dirent* entry = readdir(dir_)) {
    std::string_view raw = entry->d_name;
    if (raw == "." || raw == "..") continue;
    Text name = FileSystemToText(raw);
    if (!MatchesWildcard(name, pattern_) || IsDirectoryEntry(dir_, entry)) continue;
    return name;
  }
  Close();
  return Text();
}

void FileSearch::Close() {
  if (dir_ != nullptr) closedir(dir_);
  dir_ = nullptr;
}

bool WriteToDescriptor(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace wordloom
