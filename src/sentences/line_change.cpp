#include "sentences/line_change.h"

#include <utility>

#include "services/ui.h"
#include "store/line_edits.h"

namespace wordloom {

bool StartLineChange(Text path, std::shared_ptr<const ByteArray> shown,
                     std::function<bool(ByteArray&)> edit,
                     std::function<void(LineChangeEnd&)> done) {
  return ui::StartThread([path = std::move(path), shown = std::move(shown), edit = std::move(edit),
                          done = std::move(done)]() mutable {
    FileRewrite rewrite = RewriteShownFile(path, *shown, edit);
    LineChangeEnd end{rewrite.status, std::nullopt};
    if (rewrite.status && rewrite.written) end.file = CutLineFile(std::move(rewrite.bytes));
    ui::RunOnUiThread([&] { done(end); });
  });
}

}  // namespace wordloom
