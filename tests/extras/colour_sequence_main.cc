// Prints the first text colours of a flashing support label, one value a line, so that a test
// can run it twice and see the same sequence in every run.
//   ticks: the colours the label shows after each timer tick
//   draws: Colour(red, green, blue) straight from the random integer generator

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include "extras/support_label.h"
#include "platform/window/window_ops.h"

namespace {

constexpr int kColours = 8;

unsigned LabelColour(const QLabel& label) {
  const QColor colour = label.palette().color(label.foregroundRole());
  return quillmere::platform::Colour(colour.red(), colour.green(), colour.blue());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc == 2 && std::strcmp(argv[1], "draws") == 0) {
    for (int i = 0; i < kColours; ++i) {
      const int red = quillmere::platform::RandomInteger(0, 255);
      const int green = quillmere::platform::RandomInteger(0, 255);
      const int blue = quillmere::platform::RandomInteger(0, 255);
      std::printf("%u\n", quillmere::platform::Colour(red, green, blue));
    }
    return 0;
  }
  if (argc != 2 || std::strcmp(argv[1], "ticks") != 0) return 2;

  QLabel label(QStringLiteral("点击支持作者！"));
  QTimer timer;
  quillmere::InstallSupportLabel(label, timer);
  // Connected after the recolouring, so it sees each tick's new colour; a short interval keeps
  // the run quick.
  int ticks = 0;
  QObject::connect(&timer, &QTimer::timeout, &app, [&] {
    std::printf("%u\n", LabelColour(label));
    if (++ticks == kColours) app.quit();
  });
  timer.setInterval(1);
  return app.exec();
}
