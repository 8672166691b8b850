#include "platform/window/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "platform/event_pump.h"

namespace quillmere::platform {

void InstallQtEventPumpHooks() {
  SetPendingEventsHook([] { QCoreApplication::processEvents(); });
  SetWaitingEventsHook([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

}  // namespace quillmere::platform
