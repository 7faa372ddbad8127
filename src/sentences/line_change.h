// Changes to the file the line manager shows run on a worker: reading the file again under
// the store lock and comparing it with what was shown, writing it and cutting it into lines
// again take about a second on a file of a million lines, and the window stays responsive
// meanwhile. The worker owns everything it needs, so the write completes even when the
// window closes before it is done.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "sentences/line_grid_model.h"
#include "services/files.h"
#include "services/text.h"

namespace wordloom {

// How a change ended.
struct LineChangeEnd {
  FileStatus status;             // as RewriteShownFile reports it
  std::optional<LineFile> file;  // after a write: what the file holds now, cut into lines
};

// Rewrites the file at `path`, shown as `shown`, with `edit` (see RewriteShownFile) on a new
// thread, then runs `done` on the user-interface thread. False, with nothing done, when no
// thread could be started.
bool StartLineChange(Text path, std::shared_ptr<const ByteArray> shown,
                     std::function<bool(ByteArray&)> edit,
                     std::function<void(LineChangeEnd&)> done);

}  // namespace wordloom
