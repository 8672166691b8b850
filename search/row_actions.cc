#include "search/row_actions.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QPoint>
#include <QTableWidget>
#include <QUrl>

#include "platform/window/window_ops.h"

namespace quillmere {
namespace {

constexpr int kMagnetColumn = 2;

constexpr struct {
  const char* text;
  int column;
} kCopyActions[] = {
    {"复制资源名称", 1},
    {"复制磁力链接", 2},
    {"复制迅雷链接", 3},
};

}  // namespace

void AddCopyActions(QMenu& menu, const QTableWidget& list, int row) {
  for (const auto& action : kCopyActions) {
    const int column = action.column;
    menu.addAction(QString::fromUtf8(action.text), &menu,
                   [&list, row, column] { CopyCellText(list, row, column); });
  }
}

void ShowRowMenu(const QTableWidget& list, const QPoint& position) {
  const QModelIndex index = list.indexAt(position);
  if (!index.isValid()) return;
  QMenu menu;
  AddCopyActions(menu, list, index.row());
  menu.exec(list.viewport()->mapToGlobal(position));
}

void CopyCellText(const QTableWidget& list, int row, int column) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    clipboard->setText(platform::ToQString(platform::ReadCellText(list, row, column)));
  }
}

bool OpenMagnetAddress(const QTableWidget& list, int row) {
  const QString text = platform::ToQString(platform::ReadCellText(list, row, kMagnetColumn));
  if (text.isEmpty()) return false;
  // The cell comes from a web page: only a magnet address goes to the desktop, never a file,
  // web or other address the page might have put there.
  const QUrl address(text);
  if (!address.isValid() || address.scheme() != QLatin1String("magnet")) return false;
  return QDesktopServices::openUrl(address);
}

}  // namespace quillmere
