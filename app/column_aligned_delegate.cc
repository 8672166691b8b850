#include "app/column_aligned_delegate.h"

#include <QAbstractItemModel>
#include <QVariant>

namespace quillmere {

void ColumnAlignedDelegate::initStyleOption(QStyleOptionViewItem* option,
                                            const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  // A cell that carries an alignment of its own keeps it.
  if (index.data(Qt::TextAlignmentRole).isValid() || !index.model()) return;
  const QVariant header =
      index.model()->headerData(index.column(), Qt::Horizontal, Qt::TextAlignmentRole);
  if (header.isValid()) option->displayAlignment = Qt::Alignment(QFlag(header.toInt()));
}

}  // namespace quillmere
