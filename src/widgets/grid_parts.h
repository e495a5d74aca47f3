// The table parts through which the grid draws its cells: the item delegate for the normal
// cells and the header views for the fixed row and column.
#pragma once

#include <QHeaderView>
#include <QStyledItemDelegate>

class TXStringGrid;

class TXStringGridDelegate : public QStyledItemDelegate {
 public:
  explicit TXStringGridDelegate(TXStringGrid* grid);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  // The table's own in-place editor never appears; the column editors do the editing.
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;

 private:
  TXStringGrid* grid_;
};

class TXStringGridHeader : public QHeaderView {
 public:
  TXStringGridHeader(Qt::Orientation orientation, TXStringGrid* grid);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

 private:
  TXStringGrid* grid_;
};
