#include <QApplication>

#include "app/main_window.h"
#include "app/start_up.h"
#include "platform/window/qt_event_pump.h"

// No arguments are used and nothing is read: the two web addresses are compiled in.
int main(int argc, char** argv) {
  QApplication application(argc, argv);
  quillmere::platform::InstallQtEventPumpHooks();
  quillmere::MainWindow window;
  quillmere::ShowThenCreate(window);
  // Ends with 0 once the last window is closed.
  return application.exec();
}
