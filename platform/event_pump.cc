#include "platform/event_pump.h"

#include <utility>

namespace quillmere::platform {
namespace {
std::function<void()>& PendingHook() {
  static std::function<void()> hook;
  return hook;
}
std::function<void()>& WaitingHook() {
  static std::function<void()> hook;
  return hook;
}
}  // namespace

void ProcessPendingEvents() {
  if (PendingHook()) PendingHook()();
}
void ProcessEventsWhileWaiting() {
  if (WaitingHook()) WaitingHook()();
}
void SetPendingEventsHook(std::function<void()> hook) { PendingHook() = std::move(hook); }
void SetWaitingEventsHook(std::function<void()> hook) { WaitingHook() = std::move(hook); }

}  // namespace quillmere::platform
