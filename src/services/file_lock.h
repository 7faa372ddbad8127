// An advisory lock on a lock file, held for the length of a read-modify-write so that two
// running copies of the program (or two threads) never lose each other's changes. Only
// writers take it; readers see whole files anyway, since every write is atomic.
#pragma once

#include <chrono>

#include "services/files.h"
#include "services/text.h"

namespace wordloom {

class FileLock {
 public:
  // Waits up to `patience` for the lock on `lockFilePath` (created when missing). A thread
  // that holds the lock already takes it again at once.
  explicit FileLock(const Text& lockFilePath,
                    std::chrono::milliseconds patience = std::chrono::seconds(10));
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Done when the lock is held; kStoreBusy when the wait ran out, else why it failed.
  FileStatus Status() const { return status_; }

 private:
  Text path_;
  int fd_ = -1;
  bool nested_ = false;
  FileStatus status_;
};

}  // namespace wordloom
