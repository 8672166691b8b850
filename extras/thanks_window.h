#pragma once

#include <QDialog>

class QPushButton;

namespace quillmere {

class CaptionLabel;

// The modal thanks window: a thank-you text and a button that opens TipWindow. It is built
// afresh for every opening and destroyed when it closes.
class ThanksWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ThanksWindow(QWidget* parent = nullptr);

  // The label's caption, every line end and run of blanks as written.
  static const QString& Caption();

  CaptionLabel* 标签1;
  QPushButton* 按钮1;
};

// Builds a ThanksWindow with no parent window, shows it modally and returns when the user closes
// it; the window is destroyed then. Returns whether the window could be shown.
bool OpenThanksWindow();

}  // namespace quillmere
