// Opens the thanks window from a press on the support label, then the tip window from its
// button, the way a user does, and saves what the screen shows of each window as a PNG:
//   extras_support_windows_screenshot OUTPUT_FOLDER
// writes OUTPUT_FOLDER/thanks_window.png and OUTPUT_FOLDER/tip_window.png. Meant to run on a
// real display server (xvfb-run), so the pictures come from the screen, not from an offscreen
// rendering. Exits with 1 when a window did not open or a screenshot is blank.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "extras/support_label.h"
#include "extras/thanks_window.h"
#include "extras/tip_window.h"

namespace {

// A picture of one colour says that nothing was drawn.
bool HasContent(const QImage& image) {
  if (image.isNull()) return false;
  const QRgb first = image.pixel(0, 0);
  for (int y = 0; y < image.height(); y += 7) {
    for (int x = 0; x < image.width(); x += 7) {
      if (image.pixel(x, y) != first) return true;
    }
  }
  return false;
}

bool SaveScreenOf(QWidget& window, const QString& path) {
  QTest::qWait(300);  // let the window system map and paint it
  const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
  const bool ok = HasContent(shot) && shot.save(path);
  std::printf("%s: %dx%d %s\n", qPrintable(path), shot.width(), shot.height(),
              ok ? "saved" : "FAILED");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.exists() && !QDir().mkpath(folder.path())) return 2;

  QWidget host;
  host.resize(606, 444);
  auto* label = new QLabel(QStringLiteral("点击支持作者！"), &host);
  label->setGeometry(472, 380, 80, 30);
  QTimer timer;
  quillmere::InstallSupportLabel(*label, timer);
  host.show();

  bool thanksSaved = false;
  bool tipSaved = false;
  QTimer::singleShot(0, &app, [&] {
    auto* thanks = qobject_cast<quillmere::ThanksWindow*>(QApplication::activeModalWidget());
    if (!thanks) return;
    thanksSaved = SaveScreenOf(*thanks, folder.filePath(QStringLiteral("thanks_window.png")));
    QTimer::singleShot(0, &app, [&] {
      auto* tip = qobject_cast<quillmere::TipWindow*>(QApplication::activeModalWidget());
      if (!tip) return;
      tipSaved = SaveScreenOf(*tip, folder.filePath(QStringLiteral("tip_window.png")));
      tip->close();
    });
    QTest::mouseClick(thanks->按钮1, Qt::LeftButton);
    thanks->close();
  });
  QTest::mousePress(label, Qt::LeftButton);
  return thanksSaved && tipSaved ? 0 : 1;
}
