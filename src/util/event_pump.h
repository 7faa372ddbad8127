// Lets the waiting events of the calling thread run, so a long loop on the user-interface
// thread keeps the windows alive. The user interface installs the hook; without one (the
// core alone, the generation worker) this does nothing.
#pragma once

namespace wordloom {

using PumpEventsHook = void (*)();

void SetPumpEventsHook(PumpEventsHook hook);
void PumpEvents();

}  // namespace wordloom
