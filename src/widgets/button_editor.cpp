#include "button_editor.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

TButtonInplace::TButtonInplace(TButtonCellEditor* editor, QWidget* parent)
    : QPushButton(parent), editor_(editor) {}

bool TButtonInplace::event(QEvent* event) {
  if (editor_->WantsTab(event)) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QPushButton::event(event);
}

void TButtonInplace::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      break;
    default:
      // Space runs OnClick through the button's own activation, once per press.
      QPushButton::keyPressEvent(event);
      return;
  }
  int key = event->key();
  if (!editor_->KeyLeaves(this, key, event->modifiers(), true) && key != 0) {
    QKeyEvent changed(QEvent::KeyPress, key, event->modifiers());
    QPushButton::keyPressEvent(key == event->key() ? event : &changed);
  }
  // The button asked for these keys: one it keeps goes no further, not on to the grid.
  event->accept();
}

void TButtonInplace::focusOutEvent(QFocusEvent* event) {
  QPushButton::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason) editor_->FocusLost();
}

QPixmap TButtonInplace::CurrentGlyph() const {
  const QPixmap glyph = editor_->Glyph();
  if (glyph.isNull()) return glyph;
  const int count = std::max(editor_->NumGlyphs(), 1);
  int index = 0;
  if (!isEnabled() && count >= 2) {
    index = 1;
  } else if (isDown() && count >= 3) {
    index = 2;
  } else if (isChecked() && count >= 4) {
    index = 3;
  }
  const int width = glyph.width() / count;
  return glyph.copy(index * width, 0, width, glyph.height());
}

TGlyphPlacement PlaceGlyphAndText(const QRect& area, QSize glyphSize, QSize textSize,
                                  TButtonLayout layout, int margin, int spacing) {
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  const int gap = glyphSize.isEmpty() || textSize.isEmpty() ? 0 : std::max(spacing, 0);
  const int glyphLength = horizontal ? glyphSize.width() : glyphSize.height();
  const int textLength = horizontal ? textSize.width() : textSize.height();
  const int areaLength = horizontal ? area.width() : area.height();
  if (margin < 0) margin = (areaLength - glyphLength - gap - textLength) / 2;
  // Distances from the edge on the glyph's side.
  const int glyphAt = margin;
  const int textAt = margin + glyphLength + gap;

  QRect glyphRect(QPoint(), glyphSize);
  QRect textRect(QPoint(), textSize);
  glyphRect.moveCenter(area.center());
  textRect.moveCenter(area.center());
  const int areaEnd = horizontal ? area.x() + area.width() : area.y() + area.height();
  switch (layout) {
    case blGlyphLeft:
      glyphRect.moveLeft(area.x() + glyphAt);
      textRect.moveLeft(area.x() + textAt);
      break;
    case blGlyphRight:
      glyphRect.moveLeft(areaEnd - glyphAt - glyphLength);
      textRect.moveLeft(areaEnd - textAt - textLength);
      break;
    case blGlyphTop:
      glyphRect.moveTop(area.y() + glyphAt);
      textRect.moveTop(area.y() + textAt);
      break;
    case blGlyphBottom:
      glyphRect.moveTop(areaEnd - glyphAt - glyphLength);
      textRect.moveTop(areaEnd - textAt - textLength);
      break;
  }
  return {glyphRect, textRect};
}

void TButtonInplace::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  option.text.clear();
  option.icon = QIcon();
  painter.drawControl(QStyle::CE_PushButton, option);

  const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  const QPixmap glyph = CurrentGlyph();
  const QSize glyphSize = glyph.isNull() ? QSize(0, 0) : glyph.deviceIndependentSize().toSize();
  const QSize textSize =
      caption.isEmpty() ? QSize(0, 0) : fontMetrics().size(Qt::TextShowMnemonic, caption);
  const auto [glyphRect, textRect] = PlaceGlyphAndText(area, glyphSize, textSize, editor_->Layout(),
                                                       editor_->Margin(), editor_->Spacing());
  if (!glyph.isNull()) painter.drawPixmap(glyphRect, glyph);
  if (!caption.isEmpty()) {
    style()->drawItemText(&painter, textRect, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), caption, QPalette::ButtonText);
  }
}

TButtonCellEditor::TButtonCellEditor(QObject* owner) : TMetaCellEditor(owner) {}

TButtonInplace* TButtonCellEditor::Button() const {
  return static_cast<TButtonInplace*>(control_.data());
}

void TButtonCellEditor::SetAlignMode(TAlignMode mode) {
  alignMode_ = mode;
  if (mode == amRelative) {
    width_ = std::min(width_, 100);
    height_ = std::min(height_, 100);
  }
}

void TButtonCellEditor::SetWidth(int width) {
  width_ = alignMode_ == amRelative ? std::min(width, 100) : width;
}

void TButtonCellEditor::SetHeight(int height) {
  height_ = alignMode_ == amRelative ? std::min(height, 100) : height;
}

void TButtonCellEditor::SetCaption(const QString& caption) {
  caption_ = caption;
  if (TButtonInplace* button = Button()) button->setText(caption);
}

void TButtonCellEditor::SetGlyph(const QPixmap& glyph) {
  glyph_ = glyph;
  Repaint();
}

void TButtonCellEditor::SetLayout(TButtonLayout layout) {
  layout_ = layout;
  Repaint();
}

void TButtonCellEditor::SetMargin(int margin) {
  margin_ = margin;
  Repaint();
}

void TButtonCellEditor::SetNumGlyphs(int count) {
  numGlyphs_ = std::max(count, 1);
  Repaint();
}

void TButtonCellEditor::SetSpacing(int spacing) {
  spacing_ = spacing;
  Repaint();
}

void TButtonCellEditor::Repaint() {
  if (TButtonInplace* button = Button()) button->update();
}

QWidget* TButtonCellEditor::MakeInplaceControl(QWidget* parent) {
  return new TButtonInplace(this, parent);
}

void TButtonCellEditor::ControlMade() {
  TButtonInplace* button = Button();
  button->setText(caption_);
  connect(button, &QPushButton::clicked, this, [this, button] {
    if (OnClick) OnClick(button);
  });
}

void TButtonCellEditor::StartEdit() {
  EnsureControl();
}

void TButtonCellEditor::ShowAt(const QRect& rect) {
  EnsureControl();
  const int cellWidth = rect.width();
  const int cellHeight = rect.height();
  int width = alignMode_ == amRelative ? width_ * cellWidth / 100 : width_;
  int height = alignMode_ == amRelative ? height_ * cellHeight / 100 : height_;
  if (width == 0) width = cellWidth;
  if (height == 0) height = cellHeight;

  const int left = rect.x();
  const int right = rect.x() + cellWidth;  // one past the cell, as the placement counts
  const int top = rect.y();
  const int bottom = rect.y() + cellHeight;
  int x = left;
  if (hAlign_ == haCenter) x = (left + right - width) / 2;
  if (hAlign_ == haRight) x = right - width;
  int y = top;
  if (vAlign_ == vaCenter) y = (top + bottom - height) / 2;
  if (vAlign_ == vaBottom) y = bottom - height;

  control_->setGeometry(x, y, width, height);
  control_->show();
  control_->setFocus(Qt::OtherFocusReason);
  control_->raise();
}
