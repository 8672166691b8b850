#pragma once

namespace quillmere::platform {

// Backs the event-pump hooks with Qt: pending events run every queued event (clicks
// included); waiting runs everything but user input, so the window repaints and timers tick
// while a request waits on the network.
void InstallQtEventPumpHooks();

}  // namespace quillmere::platform
