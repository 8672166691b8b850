#include "extras/support_window_frame.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QString>

namespace quillmere {

QSize ClientSizeForOuterSize(QSize outerSize) {
  return {outerSize.width() - kFrameExtraWidth, outerSize.height() - kFrameExtraHeight};
}

QPoint CentredTopLeft(QSize outerSize, const QRect& available) {
  return {available.x() + (available.width() - outerSize.width()) / 2,
          available.y() + (available.height() - outerSize.height()) / 2};
}

void SetUpSupportWindow(QDialog& window, const QString& title, QSize outerSize) {
  window.setWindowTitle(title);
  window.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                        Qt::WindowCloseButtonHint);
  window.setWindowModality(Qt::ApplicationModal);
  window.setFixedSize(ClientSizeForOuterSize(outerSize));
  // Each opening builds the window afresh, so placing it here centres it at every opening.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    window.move(CentredTopLeft(outerSize, screen->availableGeometry()));
  }
}

}  // namespace quillmere
