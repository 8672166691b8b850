#include "extras/caption_label.h"

#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

#include <memory>
#include <vector>

namespace quillmere {

namespace {

constexpr int kFontPixelSize = 11;
// The baseline of the first line, from the label's top edge.
constexpr int kFirstBaseline = 10;

using Paragraphs = std::vector<std::unique_ptr<QTextLayout>>;

// Breaks the caption into paragraphs at CR LF and wraps each to the width, one line after the
// other at a fixed step.
Paragraphs LayOut(const QString& caption, const QFont& font, int width) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  Paragraphs paragraphs;
  int baseline = kFirstBaseline;
  for (const QString& paragraph : caption.split(QStringLiteral("\r\n"))) {
    auto layout = std::make_unique<QTextLayout>(paragraph, font);
    layout->setTextOption(option);
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
      line.setLineWidth(width);
      line.setPosition(QPointF(0, baseline - line.ascent()));
      baseline += CaptionLabel::kLineStep;
    }
    layout->endLayout();
    // An empty paragraph is a blank line all the same.
    if (layout->lineCount() == 0) baseline += CaptionLabel::kLineStep;
    paragraphs.push_back(std::move(layout));
  }
  return paragraphs;
}

}  // namespace

CaptionLabel::CaptionLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWordWrap(true);
  QFont captionFont = font();
  captionFont.setPixelSize(kFontPixelSize);
  setFont(captionFont);
}

QStringList CaptionLabel::DrawnLines() const {
  QStringList lines;
  for (const auto& layout : LayOut(text(), font(), width())) {
    for (int i = 0; i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      lines << layout->text().mid(line.textStart(), line.textLength());
    }
    if (layout->lineCount() == 0) lines << QString();
  }
  return lines;
}

void CaptionLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  painter.setClipRect(rect());
  for (const auto& layout : LayOut(text(), font(), width())) layout->draw(&painter, QPointF(0, 0));
}

}  // namespace quillmere
