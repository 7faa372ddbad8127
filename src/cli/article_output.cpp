#include "cli/article_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace wordloom::cli {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
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

class StreamOutput : public ArticleOutput {
 public:
  explicit StreamOutput(int fd) : fd_(fd) { buffer_.reserve(kFlushAt + 64 * 1024); }

  bool Write(std::string_view article) override {
    buffer_.append(article);
    if (article.empty() || article.back() != '\n') buffer_.push_back('\n');
    buffer_.push_back('\n');
    return buffer_.size() < kFlushAt || Flush();
  }

  bool Finish() override { return Flush(); }

 private:
  static constexpr std::size_t kFlushAt = 1 << 20;

  bool Flush() {
    const bool ok = WriteAll(fd_, buffer_);
    buffer_.clear();
    if (!ok) error_ = std::string("cannot write to standard output: ") + std::strerror(errno);
    return ok;
  }

  int fd_;
  std::string buffer_;
};

class FolderOutput : public ArticleOutput {
 public:
  FolderOutput(const std::string& fsFolder, std::uint64_t count) : folder_(fsFolder) {
    width_ = std::max<std::size_t>(4, std::to_string(count).size());
    if (!folder_.empty() && folder_.back() != '/') folder_.push_back('/');
  }

  bool Write(std::string_view article) override {
    const std::string number = std::to_string(++index_);
    const std::string path =
        folder_ + std::string(width_ - std::min(width_, number.size()), '0') + number + ".txt";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = fd >= 0 && WriteAll(fd, article);
    int err = errno;
    // A delayed write error (a full disk on NFS, a quota) may only show at close.
    if (fd >= 0 && ::close(fd) != 0 && ok) {
      ok = false;
      err = errno;
    }
    if (!ok) error_ = "cannot write " + path + ": " + std::strerror(err);
    return ok;
  }

 private:
  std::string folder_;
  std::size_t width_ = 4;
  std::uint64_t index_ = 0;
};

}  // namespace

std::unique_ptr<ArticleOutput> MakeStreamOutput(int fd) {
  return std::make_unique<StreamOutput>(fd);
}

std::unique_ptr<ArticleOutput> MakeFolderOutput(const std::string& fsFolder, std::uint64_t count) {
  return std::make_unique<FolderOutput>(fsFolder, count);
}

bool CreateFolderWithParents(const std::string& fsFolder, std::string& error) {
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
    error = "cannot create the folder " + level + ": " +
            std::strerror(errno == EEXIST ? ENOTDIR : errno);
    for (auto it = created.rbegin(); it != created.rend(); ++it) ::rmdir(it->c_str());
    return false;
  }
  return true;
}

}  // namespace wordloom::cli
