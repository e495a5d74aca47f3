#include <QPainter>

#include "grid_parts.h"
#include "xstring_grid.h"

TXStringGridDelegate::TXStringGridDelegate(TXStringGrid* grid)
    : QStyledItemDelegate(grid), grid_(grid) {}

void TXStringGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  TGridDrawState state = 0;
  if (option.state & QStyle::State_Selected) state |= gdSelected;
  if (option.state & QStyle::State_HasFocus) state |= gdFocused;
  grid_->DrawCell(painter, option.rect, index.column() + grid_->FixedCols(),
                  index.row() + grid_->FixedRows(), state);
}

QWidget* TXStringGridDelegate::createEditor(QWidget*, const QStyleOptionViewItem&,
                                            const QModelIndex&) const {
  return nullptr;
}

TXStringGridHeader::TXStringGridHeader(Qt::Orientation orientation, TXStringGrid* grid)
    : QHeaderView(orientation, grid), grid_(grid) {}

void TXStringGridHeader::paintSection(QPainter* painter, const QRect& rect,
                                      int logicalIndex) const {
  if (!rect.isValid()) return;
  if (orientation() == Qt::Horizontal) {
    grid_->DrawCell(painter, rect, logicalIndex + grid_->FixedCols(), 0, gdFixed);
  } else {
    grid_->DrawCell(painter, rect, 0, logicalIndex + grid_->FixedRows(), gdFixed);
  }
}

namespace {

int TextFlags(TAlignment alignment, bool multiLine) {
  int flags = Qt::AlignTop;
  switch (alignment) {
    case taLeftJustify:
      flags |= Qt::AlignLeft;
      break;
    case taRightJustify:
      flags |= Qt::AlignRight;
      break;
    case taCenter:
      flags |= Qt::AlignHCenter;
      break;
  }
  return flags | (multiLine ? Qt::TextWordWrap : Qt::TextSingleLine);
}

}  // namespace

void TXStringGrid::DrawCell(QPainter* painter, const QRect& rect, int col, int row,
                            TGridDrawState state) {
  if (col < 0 || col >= columns_.Count()) return;
  const TXStringColumnItem* column = columns_[col];
  const bool header = row < FixedRows();
  const bool fixed = header || col < FixedCols();

  QColor background = column->Color();
  QColor textColor = column->TextColor();
  QFont font = column->Font();
  TAlignment alignment = column->Alignment();
  if (header) {
    background = column->HeaderColor();
    textColor = column->HeaderTextColor();
    font = column->HeaderFont();
    alignment = column->HeaderAlignment();
  } else if (fixed) {
    background = fixedColor_;
    textColor = palette().color(QPalette::ButtonText);
    font = this->font();
  }
  if ((state & gdSelected) && !fixed) {
    background = selectedColor_;
    textColor = selectedTextColor_;
  }
  QString text = Cells(col, row);

  painter->save();
  painter->setBrush(background);
  painter->setPen(textColor);
  painter->setFont(font);
  if (OnCellProps) OnCellProps(this, painter, alignment, text, state, row, col);
  painter->fillRect(rect, painter->brush());
  painter->drawText(rect.adjusted(2, 2, -2, -2), TextFlags(alignment, multiLine_), text);
  painter->restore();

  if (OnDrawCell) {
    painter->save();
    OnDrawCell(this, painter, col, row, rect, state);
    painter->restore();
  }

  // Each cell draws the lines on its right and bottom edge; its neighbours' lines close the
  // frame on the other two sides, so two cells never draw a double line between them.
  painter->save();
  painter->setPen(fixed ? fixedLineColor_ : gridLineColor_);
  for (int k = 0; k < gridLineWidth_; ++k) {
    painter->drawLine(rect.left(), rect.bottom() - k, rect.right(), rect.bottom() - k);
    painter->drawLine(rect.right() - k, rect.top(), rect.right() - k, rect.bottom());
  }
  painter->restore();
}
