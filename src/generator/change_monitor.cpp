#include "generator/change_monitor.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "services/change_epoch.h"
#include "services/encoding.h"
#include "services/files.h"

namespace wordloom {
namespace {

constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                     IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF |
                                     IN_MOVE_SELF;

}  // namespace

ChangeMonitor& ChangeMonitor::Instance() {
  // Never destroyed: its thread waits for events until the process ends.
  static ChangeMonitor* monitor = new ChangeMonitor;
  return *monitor;
}

ChangeMonitor::ChangeMonitor() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

bool ChangeMonitor::Watch(const Text& folder) {
  if (fd_ < 0) return false;
  const std::string fsFolder = TextToFileSystem(folder);
  std::lock_guard lock(mutex_);
  if (watchByPath_.count(fsFolder) != 0) return true;
  int wd = inotify_add_watch(fd_, fsFolder.c_str(), kWatchMask | IN_ONLYDIR);
  if (wd < 0) return false;
  watchByPath_[fsFolder] = wd;
  pathByWatch_[wd] = fsFolder;
  const std::string parent = TextToFileSystem(ParentFolder(folder));
  if (watchByPath_.count(parent) == 0) {
    int pwd = inotify_add_watch(fd_, parent.c_str(), kWatchMask | IN_ONLYDIR);
    if (pwd >= 0) {
      watchByPath_[parent] = pwd;
      pathByWatch_[pwd] = parent;
    }
  }
  if (!threadStarted_) {
    threadStarted_ = true;
    std::thread([this] { Run(); }).detach();
  }
  return true;
}

void ChangeMonitor::Drain() {
  if (fd_ < 0) return;
  std::lock_guard lock(mutex_);
  ReadEvents();
}

void ChangeMonitor::Run() {
  pollfd p{fd_, POLLIN, 0};
  for (;;) {
    if (poll(&p, 1, -1) < 0 && errno != EINTR) return;
    // Reading and handling under the lock: Drain() then waits for events already taken.
    std::lock_guard lock(mutex_);
    ReadEvents();
  }
}

void ChangeMonitor::ReadEvents() {
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n <= 0) return;  // EAGAIN: nothing more now
    BumpChangeEpoch();
    for (ssize_t pos = 0; pos < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + pos);
      if (event->mask & IN_IGNORED) {
        // The folder went away; a later Watch() of the same path starts afresh.
        auto it = pathByWatch_.find(event->wd);
        if (it != pathByWatch_.end()) {
          watchByPath_.erase(it->second);
          pathByWatch_.erase(it);
        }
      }
      pos += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

}  // namespace wordloom
