#pragma once

#include <QObject>

namespace quillmere {

// Lets the page box take only digits and '-' from the keyboard: every other typed printable
// character is dropped. Control keys (backspace, arrows, shortcuts such as paste) pass, and
// pasted text and text the program writes are not filtered at all.
class PageKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// True when a key press carrying this text is dropped by the filter.
bool IsDroppedPageKey(const QString& typed);

}  // namespace quillmere
