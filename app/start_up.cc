#include "app/start_up.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

#include "app/main_window.h"

namespace quillmere {
namespace {

// Handles events until the window has painted once, for at most two seconds.
void WaitForFirstPaint(const MainWindow& window) {
  const QDeadlineTimer deadline(2000);
  while (!window.HasPainted() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!window.HasPainted()) QThread::msleep(5);
  }
}

}  // namespace

void ShowThenCreate(MainWindow& window) {
  window.show();
  // Runs inside the message loop, so closing the window during the creation fetch still ends
  // the program once the loop is back in control.
  QTimer::singleShot(0, &window, [&window] {
    WaitForFirstPaint(window);
    window.FitToFrame();
    window.RunCreationEvent();
  });
}

}  // namespace quillmere
