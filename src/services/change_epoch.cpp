#include "services/change_epoch.h"

#include <atomic>

namespace wordloom {
namespace {
std::atomic<std::uint64_t> gEpoch{1};
}  // namespace

std::uint64_t CurrentChangeEpoch() { return gEpoch.load(std::memory_order_acquire); }

void BumpChangeEpoch() { gEpoch.fetch_add(1, std::memory_order_acq_rel); }

}  // namespace wordloom
