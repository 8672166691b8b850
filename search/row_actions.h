#pragma once

class QMenu;
class QPoint;
class QTableWidget;

namespace quillmere {

// What a right-click and a double-click on a row of the result list do.

// Adds the row menu's three copy actions, in this order: "复制资源名称", "复制磁力链接" and
// "复制迅雷链接". Each puts the text of that row's cell in column 1, 2 or 3 on the clipboard,
// read when the action is triggered.
void AddCopyActions(QMenu& menu, const QTableWidget& list, int row);

// Shows the row menu for a right-click at `position` (viewport coordinates) and runs the
// chosen action. A click on empty space shows no menu.
void ShowRowMenu(const QTableWidget& list, const QPoint& position);

// Puts the cell's text on the clipboard; a missing cell puts empty text.
void CopyCellText(const QTableWidget& list, int row, int column);

// Hands the row's magnet address (column 2) to the desktop's handler for magnet links.
// Returns false, and opens nothing, when the cell is empty or holds no magnet address.
bool OpenMagnetAddress(const QTableWidget& list, int row);

}  // namespace quillmere
