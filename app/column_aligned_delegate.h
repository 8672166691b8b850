#pragma once

#include <QStyledItemDelegate>

namespace quillmere {

// Draws each cell of a report list aligned like its column's header, as report lists do: the
// column's alignment holds for the header and the cells alike. Deciding this when a cell is
// drawn costs nothing per row, so filling a list with many thousands of rows stays cheap.
class ColumnAlignedDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace quillmere
