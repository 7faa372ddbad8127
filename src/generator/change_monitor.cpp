#include "generator/change_monitor.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "services/change_epoch.h"
#include "services/encoding.h"
#include "services/files.h"

namespace wordloom {
namespace {

constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                     IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF |
                                     IN_MOVE_SELF;

std::string ChildPath(const std::string& folder, const std::string& name) {
  if (folder == ".") return name;
  return folder == "/" ? "/" + name : folder + '/' + name;
}

// True when the path is the folder or lies under it, as ParentFolder() names folders ("." for
// a relative path's top, "/" for the root).
bool WithinFolder(const std::string& path, const std::string& folder) {
  if (path == folder) return true;
  if (folder == ".") return !path.starts_with('/');
  return path.starts_with(folder == "/" ? folder : folder + '/');
}

}  // namespace

ChangeMonitor& ChangeMonitor::Instance() {
  // Never destroyed: its thread waits for events until the process ends.
  static ChangeMonitor* monitor = new ChangeMonitor;
  return *monitor;
}

ChangeMonitor::ChangeMonitor() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

int ChangeMonitor::WatchOf(const std::string& fsFolder) {
  auto it = watchByPath_.find(fsFolder);
  if (it != watchByPath_.end()) return it->second;
  const int wd = inotify_add_watch(fd_, fsFolder.c_str(), kWatchMask | IN_ONLYDIR);
  if (wd < 0) return -1;
  watchByPath_[fsFolder] = wd;
  watched_[wd].path = fsFolder;
  return wd;
}

bool ChangeMonitor::Watch(const Text& folder) {
  if (fd_ < 0) return false;
  const std::string fsFolder = TextToFileSystem(folder);
  std::lock_guard lock(mutex_);
  const int wd = WatchOf(fsFolder);
  if (wd < 0) return false;
  Watched& watched = watched_[wd];
  if (watched.whole) return true;
  watched.whole = true;
  const std::string parent = TextToFileSystem(ParentFolder(folder));
  const int pwd = WatchOf(parent);
  if (pwd >= 0) watched_[pwd].children.insert(fsFolder.substr(fsFolder.find_last_of('/') + 1));
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

bool ChangeMonitor::Take(const inotify_event& event) {
  if (event.mask & IN_Q_OVERFLOW) return true;  // lost events may have been anything
  auto it = watched_.find(event.wd);
  if (it == watched_.end()) return true;  // a watch already forgotten
  const Watched& folder = it->second;
  if (event.len == 0) {
    // The folder itself moved, removed or changed: its path names something else now, and
    // what lies under it may have moved too.
    if (event.mask & (IN_MOVE_SELF | IN_DELETE_SELF | IN_IGNORED)) {
      std::erase_if(watchByPath_, [&](const auto& entry) {
        return entry.second == event.wd || WithinFolder(entry.first, folder.path);
      });
      if (event.mask & IN_IGNORED) watched_.erase(it);
    }
    return true;
  }
  const std::string name(event.name, strnlen(event.name, event.len));
  if (event.mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)) {
    const std::string child = ChildPath(folder.path, name);
    std::erase_if(watchByPath_,
                  [&](const auto& entry) { return WithinFolder(entry.first, child); });
  }
  return folder.whole || folder.children.count(name) != 0;
}

void ChangeMonitor::ReadEvents() {
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n <= 0) return;  // EAGAIN: nothing more now
    bool changed = false;
    for (ssize_t pos = 0; pos < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + pos);
      if (Take(*event)) changed = true;
      pos += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    if (changed) BumpChangeEpoch();
  }
}

}  // namespace wordloom
