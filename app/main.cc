#include <QApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

#include "app/main_window.h"
#include "platform/window/qt_event_pump.h"

namespace {

// Lets the window reach the screen before the creation event blocks on the network: events
// are handled until the window has painted once, or for at most two seconds.
void WaitForFirstPaint(const quillmere::MainWindow& window) {
  const QDeadlineTimer deadline(2000);
  while (!window.HasPainted() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!window.HasPainted()) QThread::msleep(5);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  quillmere::platform::InstallQtEventPumpHooks();
  quillmere::MainWindow window;
  window.show();
  // Runs inside the message loop, so closing the window during the creation fetch still ends
  // the program once the loop is back in control.
  QTimer::singleShot(0, &window, [&window] {
    WaitForFirstPaint(window);
    window.FitToFrame();
    window.RunCreationEvent();
  });
  return application.exec();
}
