#include "extras/support_label.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QObject>
#include <QTimer>

#include "extras/thanks_window.h"
#include "platform/window/window_ops.h"

namespace quillmere {

namespace {

constexpr int kFlashIntervalMs = 1000;

// Opens the thanks window on the left-button press itself, so the user sees it without
// waiting for the release.
class SupportLabelPressFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      OpenThanksWindow();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void RecolourSupportLabel(QLabel& 标签8) {
  // Separate statements keep the draw order red, green, blue.
  const int red = platform::RandomInteger(0, 255);
  const int green = platform::RandomInteger(0, 255);
  const int blue = platform::RandomInteger(0, 255);
  platform::SetTextColour(标签8, platform::Colour(red, green, blue));
}

void InstallSupportLabel(QLabel& 标签8, QTimer& 时钟1) {
  标签8.installEventFilter(new SupportLabelPressFilter(&标签8));
  QObject::connect(&时钟1, &QTimer::timeout, &标签8, [&标签8] { RecolourSupportLabel(标签8); });
  时钟1.setInterval(kFlashIntervalMs);
  时钟1.start();
}

}  // namespace quillmere
