#pragma once

class QLabel;
class QTimer;

namespace quillmere {

// Makes the support label flash and open the thanks window:
// - the timer ticks every 1000 ms from now on; each tick draws red, green and blue (in that
//   order) from the program's never-seeded generator and sets them as the label's text colour;
// - a left-button press on the label (the press, not the release) opens ThanksWindow modally.
// The press is caught by an event filter owned by the label, so it lives as long as the label.
void InstallSupportLabel(QLabel& 标签8, QTimer& 时钟1);

// One tick of the flashing: a new random text colour for the label.
void RecolourSupportLabel(QLabel& 标签8);

}  // namespace quillmere
