#pragma once

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace quillmere {

// The controls of the main window that the search client reads and writes. The client keeps
// no copy of their content: the keyword, the page number and the hits live in these controls.
struct SearchControls {
  QLineEdit& ssbjk;
  QLineEdit& page;
  QPushButton& 上一页按钮;
  QTableWidget& 超级列表框;
};

// The list and the three boxes that show the fields of its selected row.
struct DetailControls {
  QTableWidget& 超级列表框;
  QLineEdit& mc编辑框;
  QLineEdit& cl编辑框;
  QLineEdit& xl编辑框;
};

}  // namespace quillmere
