// The text services and the scans under them against the plain character walk.
//
// Input: a flags byte (bit 0: ignore case), a start byte, a maximum byte, then the text, the
// search text and the replacement, separated by 0xFF.
#include <algorithm>

#include "fuzz_support.h"
#include "reference.h"
#include "services/text.h"

namespace wordloom::fuzz {
namespace {

// Every position inside the text from `known` on (as many as a run needs) against a walk
// from `known`, which the tracker takes as a boundary.
void CheckBoundaries(std::string_view text, std::size_t known) {
  textscan::BoundaryTracker tracker(text, known);
  std::size_t boundary = known;
  std::size_t next = known < text.size() ? ref::CharEnd(text, known) : known;
  const std::size_t end = std::min(text.size(), known + 512);
  for (std::size_t pos = known; pos < end; ++pos) {
    if (pos == next) {
      boundary = next;
      next = ref::CharEnd(text, next);
    }
    Check(tracker.LastBoundary(pos) == boundary, "BoundaryTracker::LastBoundary");
  }
}

void Run(FuzzInput in) {
  const bool ignoreCase = (in.Byte() & 1) != 0;
  const long start = static_cast<long>(in.Byte()) - 2;        // below 1, inside, beyond the end
  const long maximum = static_cast<long>(in.Byte() % 5) - 1;  // -1 means no limit
  const std::string_view text = in.Piece();
  const std::string_view part = in.Piece();
  const std::string_view replacement = in.Piece();
  const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);

  // The 1-based services.
  long expected = -1;
  if (part.empty()) {
    expected = text.empty() ? -1 : 1;
  } else if (std::size_t p = ref::Find(text, part, from, ignoreCase); p != ref::kNone) {
    expected = static_cast<long>(p + 1);
  }
  Check(FindText(text, part, start, ignoreCase) == expected, "FindText");
  Check(ReplaceText(text, part, replacement, start, maximum, !ignoreCase) ==
            ref::Replace(text, part, replacement, from, maximum, ignoreCase),
        "ReplaceText");
  Check(SplitText(text, part, maximum) == ref::Split(text, part, maximum), "SplitText");

  // The 0-based scans the generator uses directly.
  if (!part.empty()) {
    Check(textscan::Find(text, part, from, ignoreCase) == ref::Find(text, part, from, ignoreCase),
          "textscan::Find");
  }
  Check(textscan::Count(text, part, ignoreCase) == ref::Count(text, part, ignoreCase),
        "textscan::Count");
  Check(textscan::ReplaceAll(text, part, replacement) ==
            ref::Replace(text, part, replacement, 0, -1, false),
        "textscan::ReplaceAll");
  CheckBoundaries(text, std::min(from, text.size()));
}

}  // namespace
}  // namespace wordloom::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= wordloom::fuzz::kMaxInputSize) wordloom::fuzz::Run({data, size});
  return 0;
}
