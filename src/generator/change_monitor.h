// File-system notifications for the folders the generator draws from. Any change in a
// watched folder moves the change epoch, so cached listings and lines are dropped without
// asking the file system at every draw. The parent of a watched folder is watched only for
// what concerns that folder (it replaced, moved or removed): files coming and going beside
// it, as in a busy temporary folder, leave the caches alone.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

#include "services/text.h"

struct inotify_event;

namespace wordloom {

class ChangeMonitor {
 public:
  static ChangeMonitor& Instance();

  // Watches the folder (and its parent, which sees the folder replaced). False when
  // notifications are unavailable for it: the caller must then check identities itself.
  bool Watch(const Text& folder);

  // Takes in every notification the kernel holds now. After it returns, every change that
  // was complete before the call has moved the change epoch.
  void Drain();

 private:
  ChangeMonitor();
  void Run();
  void ReadEvents();  // with mutex_ held

  struct Watched {
    std::string path;
    bool whole = false;              // every change in the folder counts
    std::set<std::string> children;  // otherwise only changes of these entries
  };
  // The folder's watch, added when missing; -1 when it cannot be had.
  int WatchOf(const std::string& fsFolder);  // with mutex_ held
  // True when the event may concern what the caches hold. Forgets the watches of folders
  // that moved away from their paths, or whose paths now name something else, so that the
  // next Watch() of such a path watches what it names now.
  bool Take(const inotify_event& event);

  int fd_ = -1;
  bool threadStarted_ = false;
  std::mutex mutex_;
  std::unordered_map<std::string, int> watchByPath_;
  std::unordered_map<int, Watched> watched_;
};

}  // namespace wordloom
