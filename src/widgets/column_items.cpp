#include "column_items.h"

#include <QPalette>
#include <QWidget>
#include <algorithm>

#include "cell_editor.h"
#include "xstring_grid.h"

TXStringColumnItem::TXStringColumnItem(TXStringGrid* grid)
    : grid_(grid),
      headerColor_(grid->FixedColor()),
      headerFont_(grid->font()),
      headerTextColor_(grid->palette().color(QPalette::ButtonText)),
      color_(grid->palette().color(QPalette::Base)),
      font_(grid->font()),
      textColor_(grid->palette().color(QPalette::Text)) {}

TXStringColumnItem::~TXStringColumnItem() {
  if (editor_) editor_->Detach();
}

void TXStringColumnItem::Assign(const TXStringColumnItem& source) {
  if (&source == this) return;
  headerColor_ = source.headerColor_;
  headerFont_ = source.headerFont_;
  headerTextColor_ = source.headerTextColor_;
  headerAlignment_ = source.headerAlignment_;
  color_ = source.color_;
  font_ = source.font_;
  textColor_ = source.textColor_;
  alignment_ = source.alignment_;
  SetCaption(source.Caption());
  SetEditor(nullptr);
  Changed();
}

int TXStringColumnItem::Index() const {
  return grid_->Columns().IndexOf(this);
}

void TXStringColumnItem::SetHeaderColor(const QColor& color) {
  headerColor_ = color;
  Changed();
}

void TXStringColumnItem::SetHeaderFont(const QFont& font) {
  headerFont_ = font;
  Changed();
}

void TXStringColumnItem::SetHeaderTextColor(const QColor& color) {
  headerTextColor_ = color;
  Changed();
}

void TXStringColumnItem::SetHeaderAlignment(TAlignment alignment) {
  headerAlignment_ = alignment;
  Changed();
}

QString TXStringColumnItem::Caption() const {
  return grid_->Cells(Index(), 0);
}

void TXStringColumnItem::SetCaption(const QString& caption) {
  grid_->SetCells(Index(), 0, caption);
}

void TXStringColumnItem::SetColor(const QColor& color) {
  color_ = color;
  Changed();
}

int TXStringColumnItem::Width() const {
  return grid_->ColWidths(Index());
}

void TXStringColumnItem::SetWidth(int width) {
  grid_->SetColWidths(Index(), width);
}

void TXStringColumnItem::SetFont(const QFont& font) {
  font_ = font;
  Changed();
}

void TXStringColumnItem::SetTextColor(const QColor& color) {
  textColor_ = color;
  Changed();
}

void TXStringColumnItem::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Changed();
}

void TXStringColumnItem::SetEditor(TCellEditor* editor) {
  if (editor == editor_) return;
  if (editor) editor->Attach(grid_);
  TCellEditor* previous = editor_;
  editor_ = editor;
  if (previous) {
    if (grid_->activeEditor == previous && grid_->editCol == Index()) grid_->FinishEdit();
    previous->Detach();
  }
}

void TXStringColumnItem::PlaceEditor(int row) {
  if (!editor_) return;
  const QRect rect = grid_->CellRect(Index(), row);
  if (editorInheritsCellProps_) {
    auto* meta = dynamic_cast<TMetaCellEditor*>(editor_);
    if (QWidget* control = meta ? meta->InplaceControl() : nullptr) {
      QPalette palette = control->palette();
      palette.setColor(QPalette::Base, color_);
      palette.setColor(QPalette::Button, color_);
      palette.setColor(QPalette::Text, textColor_);
      palette.setColor(QPalette::ButtonText, textColor_);
      control->setPalette(palette);
      control->setFont(font_);
    }
  }
  if (!rect.isEmpty()) editor_->ShowAt(rect);
}

void TXStringColumnItem::Changed() {
  grid_->UpdateColumn(Index());
}

int TXStringColumns::IndexOf(const TXStringColumnItem* item) const {
  const auto it = std::find_if(items_.begin(), items_.end(),
                               [item](const auto& owned) { return owned.get() == item; });
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TXStringColumns::Insert(int first, int count) {
  for (int i = 0; i < count; ++i) {
    items_.insert(items_.begin() + first + i, std::make_unique<TXStringColumnItem>(grid_));
  }
}

void TXStringColumns::Remove(int first, int count) {
  items_.erase(items_.begin() + first, items_.begin() + first + count);
}
