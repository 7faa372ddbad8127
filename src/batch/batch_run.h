// One batch of the batch window: articles from one template into a folder, then the
// uniqueness report over the files written. Runs on a worker thread; the window only
// starts it, shows its progress and stops it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/article_files.h"
#include "report/uniqueness.h"
#include "services/text.h"

namespace wordloom::batch {

struct BatchRequest {
  Text templateText;
  std::uint64_t count = 1;
  std::string fsFolder;  // exists and takes files
  FileNames names = FileNames::kNumbers;
  bool utf8 = false;  // the files hold the articles converted to UTF-8
  bool noRepeat = false;
  bool replace = false;  // numbered names may replace files
  int nearPercent = report::kDefaultNearPercent;
  std::optional<std::uint32_t> seed;  // the clock seeds when there is none
};

// Set from the user-interface thread, read by the batch between articles and while the
// report is measured.
struct BatchControl {
  std::atomic<bool> stopWriting{false};
  std::atomic<bool> measuring{false};  // the articles are written; the report runs
  std::atomic<bool> stopMeasuring{false};
};

struct BatchOutcome {
  enum class End { kDone, kCancelled, kWriteFailed, kTooLarge };
  End end = End::kDone;
  std::uint64_t written = 0;
  std::vector<std::string> names;  // of the files written, in batch order
  std::string failedFile;          // the write that failed (a path), or the article's file
  int errorCode = 0;               // why the write failed
  double seconds = 0;              // writing the articles
  std::optional<report::UniquenessFigures> figures;  // none when the report was stopped
};

// Progress after each article, at most ten times a second, and once more when the writing
// is over (BatchControl::measuring is set by then): files written, seconds since the start.
using BatchProgress = std::function<void(std::uint64_t written, double seconds)>;

BatchOutcome RunBatch(const BatchRequest& request, BatchControl& control,
                      const BatchProgress& progress);

}  // namespace wordloom::batch
