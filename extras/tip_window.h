#pragma once

#include <QDialog>

class QLabel;

namespace quillmere {

// The modal tip window: two thank-you pictures, each stretched to fill its box both ways. It is
// built afresh for every opening and destroyed when it closes. A picture that cannot be loaded
// leaves its box empty; the window opens all the same.
class TipWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TipWindow(QWidget* parent = nullptr);

  QLabel* 图片框1;
  QLabel* 图片框2;
};

// Builds a TipWindow with no parent window, shows it modally and returns when the user closes
// it; the window is destroyed then. Returns whether the window could be shown.
bool OpenTipWindow();

}  // namespace quillmere
