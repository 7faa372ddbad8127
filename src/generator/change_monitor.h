// File-system notifications for the folders the generator draws from. Any change in a
// watched folder moves the change epoch, so cached listings and lines are dropped without
// asking the file system at every draw.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

#include "services/text.h"

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

  int fd_ = -1;
  bool threadStarted_ = false;
  std::mutex mutex_;
  std::unordered_map<std::string, int> watchByPath_;
  std::unordered_map<int, std::string> pathByWatch_;
};

}  // namespace wordloom
