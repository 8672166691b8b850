#include "extras/tip_window.h"

#include <QLabel>
#include <QPixmap>

#include "extras/support_window_frame.h"
#include "platform/window/window_ops.h"

// The pictures live in this static library's resource file; registering it by hand keeps the
// linker from dropping it and must happen outside any namespace.
static void RegisterExtrasResources() {
  Q_INIT_RESOURCE(extras);
}

namespace quillmere {

namespace {

constexpr QSize kOuterSize{614, 363};

// A borderless box that stretches its picture over its whole area, proportions not kept.
QLabel* MakePictureBox(QWidget* parent, const QString& name, const QRect& place,
                       const QString& picture) {
  auto* box = new QLabel(parent);
  box->setObjectName(name);
  box->setGeometry(place);
  box->setFrameShape(QFrame::NoFrame);
  box->setScaledContents(true);
  box->setPixmap(QPixmap(picture));
  return box;
}

}  // namespace

TipWindow::TipWindow(QWidget* parent) : QDialog(parent) {
  RegisterExtrasResources();
  setObjectName(QStringLiteral("TipWindow"));
  SetUpSupportWindow(*this, QStringLiteral("感谢各位"), kOuterSize);
  图片框1 = MakePictureBox(this, QStringLiteral("图片框1"), QRect(8, 8, 288, 312),
                           QStringLiteral(":/extras/tip_picture_1.jpg"));
  图片框2 = MakePictureBox(this, QStringLiteral("图片框2"), QRect(304, 8, 288, 312),
                           QStringLiteral(":/extras/tip_picture_2.jpg"));
}

bool OpenTipWindow() {
  TipWindow window;
  return platform::LoadWindowModal(window);
}

}  // namespace quillmere
