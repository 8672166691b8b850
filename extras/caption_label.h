#pragma once

#include <QLabel>
#include <QStringList>

namespace quillmere {

// A label that draws a caption of several lines from its top left corner: a new line starts at
// each CR LF pair, a line wider than the label wraps at its right edge (between any two Chinese
// characters, or at a blank in Latin text), and runs of blanks stay as written. The lines are
// set closer than the font's own line spacing so that a caption of fifteen lines fits the
// label's 188 pixels. text() keeps the caption exactly as it was given.
class CaptionLabel : public QLabel {
  Q_OBJECT

 public:
  explicit CaptionLabel(QWidget* parent = nullptr);

  // The lines as drawn at the label's current width and font, CR LF pairs removed.
  QStringList DrawnLines() const;
  // Distance between the baselines of two lines, in pixels.
  static constexpr int kLineStep = 12;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillmere
