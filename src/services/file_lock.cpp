#include "services/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>
#include <unordered_set>

#include "services/encoding.h"

namespace wordloom {
namespace {

// The locks this thread holds: a second flock() on a new descriptor would wait for the
// thread's own first one. Nested holders are destroyed before the outer one.
std::unordered_set<Text>& HeldByThisThread() {
  thread_local std::unordered_set<Text> held;
  return held;
}

}  // namespace

FileLock::FileLock(const Text& lockFilePath, std::chrono::milliseconds patience)
    : path_(lockFilePath) {
  if (HeldByThisThread().count(path_) != 0) {
    nested_ = true;
    return;
  }
  const std::string fsPath = TextToFileSystem(path_);
  fd_ = ::open(fsPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd_ < 0) fd_ = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd_ < 0) {
    status_ = FileStatus::Failed(errno);
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      status_ = FileStatus::Failed(errno == EWOULDBLOCK ? kStoreBusy : errno);
      ::close(fd_);
      fd_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  HeldByThisThread().insert(path_);
}

FileLock::~FileLock() {
  if (nested_ || fd_ < 0) return;
  HeldByThisThread().erase(path_);
  ::close(fd_);  // closing the descriptor releases the lock
}

}  // namespace wordloom
