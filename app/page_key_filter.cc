#include "app/page_key_filter.h"

#include <QKeyEvent>

namespace quillmere {

bool IsDroppedPageKey(const QString& typed) {
  for (const QChar c : typed) {
    const char16_t code = c.unicode();
    // Below 32 and DEL are control characters (backspace, Ctrl+V, the Delete key), not typed.
    const bool printable = code >= 32 && code != 0x7F;
    if (printable && !(code >= u'0' && code <= u'9') && code != u'-') return true;
  }
  return false;
}

bool PageKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts (Ctrl+V, Ctrl+A, ...) are commands, not typed characters.
    const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (!shortcut && IsDroppedPageKey(key->text())) return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace quillmere
