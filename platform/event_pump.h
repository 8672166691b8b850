#pragma once

#include <functional>

namespace quillmere::platform {

// The two ways the network code lets the window system breathe. The application installs
// hooks backed by Qt; without hooks both calls do nothing, so the core builds and runs
// without a window system. Tests install counters.

// Handles every pending window event, user input included (clicks run nested here).
void ProcessPendingEvents();
// Handles pending non-input events only (repaint, timers, window-manager pings); called
// about every 50 ms while a request waits on the network.
void ProcessEventsWhileWaiting();

void SetPendingEventsHook(std::function<void()> hook);
void SetWaitingEventsHook(std::function<void()> hook);

}  // namespace quillmere::platform
