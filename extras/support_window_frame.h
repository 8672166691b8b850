#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QDialog;
class QString;

namespace quillmere {

// What a fixed window frame with a title bar adds around the client area on the desktop the
// window sizes were designed for: a 3-pixel border on each side and a 25-pixel caption. Qt sizes
// the client area, so the support windows take their designed outer size minus these metrics;
// the controls' places are client coordinates and fit inside. On a platform without frames
// (offscreen) the window is simply that much smaller than the outer size.
inline constexpr int kFrameExtraWidth = 3 + 3;
inline constexpr int kFrameExtraHeight = 3 + 25 + 3;

QSize ClientSizeForOuterSize(QSize outerSize);

// The top-left corner that centres a window of the given outer size in the available area.
QPoint CentredTopLeft(QSize outerSize, const QRect& available);

// Sets up a support window: the title, a fixed size (no resizing, no maximise box; title bar,
// system menu, minimise and close boxes), application-wide modality, and a place at the centre
// of the primary screen.
void SetUpSupportWindow(QDialog& window, const QString& title, QSize outerSize);

}  // namespace quillmere
