#include "batch/article_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include "batch/title_names.h"
#include "services/files.h"

namespace wordloom::batch {
namespace {

// The temporary file being written, for the signal handler: the path is complete before
// `gUnfinishedLive` says so, and a handler only reads it then.
char gUnfinished[4096];
std::atomic<bool> gUnfinishedLive{false};

void RemoveUnfinishedAndEnd(int number) {
  if (gUnfinishedLive.load()) ::unlink(gUnfinished);
  std::signal(number, SIG_DFL);
  std::raise(number);
}

// A fresh temporary file in the folder: ".wordloom-batch-PID-N.tmp", the store's
// recognisable pattern, locked while it is written as every write of the program does.
int CreateTemporary(const std::string& folder, std::string& path) {
  static std::atomic<unsigned long> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = folder + ".wordloom-batch-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + ".tmp";
    if (path.size() < sizeof gUnfinished) {
      gUnfinishedLive.store(false);
      std::memcpy(gUnfinished, path.c_str(), path.size() + 1);
      gUnfinishedLive.store(true);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::flock(fd, LOCK_EX | LOCK_NB);
      return fd;
    }
    gUnfinishedLive.store(false);
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// Renames without replacing: EEXIST when the name is taken. File systems without the
// kernel's no-replace rename get a hard link and an unlink, which refuse a taken name too.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  if (errno != EPERM && errno != ENOTSUP) return errno;
  // Neither is offered (some network and FAT file systems): the check is not atomic.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// "0012.txt" -> 12 for a name of exactly `width` digits; 0 otherwise.
std::uint64_t NumberOf(std::string_view name, std::size_t width) {
  if (name.size() != width + 4 || !name.ends_with(".txt")) return 0;
  std::uint64_t value = 0;
  for (char c : name.substr(0, width)) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

std::size_t WidthFor(std::uint64_t count) {
  return std::max<std::size_t>(4, std::to_string(count).size());
}

}  // namespace

std::string NumberedName(std::uint64_t i, std::uint64_t count) {
  const std::string number = std::to_string(i);
  const std::size_t width = WidthFor(count);
  return std::string(width - std::min(width, number.size()), '0') + number + ".txt";
}

bool CreateFolderWithParents(const std::string& fsFolder, std::string& failedLevel, int& code) {
  std::vector<std::string> created;
  std::size_t pos = 0;
  while (pos <= fsFolder.size()) {
    std::size_t slash = fsFolder.find('/', pos);
    if (slash == std::string::npos) slash = fsFolder.size();
    const std::string level = fsFolder.substr(0, slash);
    pos = slash + 1;
    if (level.empty()) continue;  // the root of an absolute path
    if (::mkdir(level.c_str(), 0777) == 0) {
      created.push_back(level);
      continue;
    }
    struct stat st {};
    if (errno == EEXIST && ::stat(level.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    failedLevel = level;
    code = errno == EEXIST ? ENOTDIR : errno;
    for (auto it = created.rbegin(); it != created.rend(); ++it) ::rmdir(it->c_str());
    return false;
  }
  return true;
}

ArticleFiles::ArticleFiles(std::string fsFolder, FileNames names, std::uint64_t count, bool replace)
    : folder_(std::move(fsFolder)), names_(names), count_(count), replace_(replace) {
  if (folder_.empty() || folder_.back() != '/') folder_.push_back('/');
}

ArticleFiles::~ArticleFiles() { gUnfinishedLive.store(false); }

std::uint64_t ArticleFiles::CountExisting(std::string* first) const {
  if (names_ != FileNames::kNumbers) return 0;
  DIR* dir = ::opendir(folder_.c_str());
  if (dir == nullptr) return 0;
  const std::size_t width = WidthFor(count_);
  std::uint64_t existing = 0, lowest = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::uint64_t number = NumberOf(entry->d_name, width);
    if (number == 0 || number > count_) continue;
    ++existing;
    if (lowest == 0 || number < lowest) lowest = number;
  }
  ::closedir(dir);
  if (first != nullptr && lowest != 0) *first = NumberedName(lowest, count_);
  return existing;
}

int ArticleFiles::CheckWritable() const {
  std::string temp;
  const int fd = CreateTemporary(folder_, temp);
  if (fd < 0) return errno != 0 ? errno : EIO;
  ::close(fd);
  ::unlink(temp.c_str());
  gUnfinishedLive.store(false);
  return 0;
}

bool ArticleFiles::Place(const std::string& temp, const std::string& name, bool mayReplace,
                         int& code) {
  const std::string target = folder_ + name;
  code = mayReplace ? (::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno)
                    : RenameNoReplace(temp, target);
  return code == 0;
}

bool ArticleFiles::Write(std::string_view bytes, std::string_view gbkArticle) {
  const std::uint64_t number = written_ + 1;
  std::string temp;
  const int fd = CreateTemporary(folder_, temp);
  int code = 0;
  std::string name = names_ == FileNames::kNumbers ? NumberedName(number, count_) : std::string();
  if (fd < 0) {
    code = errno != 0 ? errno : EIO;
  } else {
    if (!WriteToDescriptor(fd, bytes)) code = errno;
    // A delayed write error (a full disk on NFS, a quota) may only show at close.
    if (::close(fd) != 0 && code == 0) code = errno;
  }
  if (code == 0) {
    if (names_ == FileNames::kNumbers) {
      Place(temp, name, replace_, code);
    } else {
      std::string base = TitleName(gbkArticle);
      if (base.empty()) base = NumberedName(number, count_).substr(0, WidthFor(count_));
      for (std::uint64_t k = 1;; ++k) {
        name = base + (k == 1 ? std::string() : " (" + std::to_string(k) + ")") + ".txt";
        if (taken_.count(name) != 0) continue;
        if (Place(temp, name, false, code)) break;
        if (code != EEXIST) break;
      }
    }
  }
  if (code != 0) {
    if (fd >= 0) ::unlink(temp.c_str());
    gUnfinishedLive.store(false);
    failedPath_ = name.empty() ? folder_ : folder_ + name;
    error_ = "cannot write " + failedPath_ + ": " + DescribeFileError(code);
    errorCode_ = code;
    return false;
  }
  gUnfinishedLive.store(false);
  if (names_ == FileNames::kTitles) taken_.insert(name);
  lastName_ = std::move(name);
  ++written_;
  return true;
}

void RemoveUnfinishedFileOnSignal() {
  struct sigaction action {};
  action.sa_handler = &RemoveUnfinishedAndEnd;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace wordloom::batch
