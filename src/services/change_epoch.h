// A process-wide counter that moves whenever something on disk may have changed: after
// every write of this program, and on file-system notifications. Caches of file contents
// compare it instead of asking the file system at every use.
#pragma once

#include <cstdint>

namespace wordloom {

std::uint64_t CurrentChangeEpoch();
void BumpChangeEpoch();

}  // namespace wordloom
