#include "util/event_pump.h"

#include <atomic>

namespace wordloom {
namespace {
std::atomic<PumpEventsHook> gHook{nullptr};
}  // namespace

void SetPumpEventsHook(PumpEventsHook hook) { gHook.store(hook); }

void PumpEvents() {
  if (PumpEventsHook hook = gHook.load()) hook();
}

}  // namespace wordloom
