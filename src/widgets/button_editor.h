// The button cell editor: a push button over the cell that never changes the cell's text.
#pragma once

#include <QPixmap>
#include <QPushButton>
#include <functional>

#include "cell_editor.h"

enum TAlignMode { amAbsolute, amRelative };
enum THAlign { haLeft, haCenter, haRight };
enum TVAlign { vaTop, vaCenter, vaBottom };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TButtonCellEditor;

// Where a button's glyph and caption go in its content area: with a negative margin the two
// are centred together; otherwise the glyph stands `margin` pixels from its side. The caption
// follows `spacing` pixels past the glyph; across the layout direction both are centred.
struct TGlyphPlacement {
  QRect glyph;
  QRect text;
};
TGlyphPlacement PlaceGlyphAndText(const QRect& area, QSize glyphSize, QSize textSize,
                                  TButtonLayout layout, int margin, int spacing);

class TButtonInplace : public QPushButton {
  Q_OBJECT

 public:
  TButtonInplace(TButtonCellEditor* editor, QWidget* parent);
  // The picture of the strip that the button's state shows.
  QPixmap CurrentGlyph() const;

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Glyph and caption laid out by the editor's Layout, Margin and Spacing.
  void paintEvent(QPaintEvent* event) override;

 private:
  TButtonCellEditor* editor_;
};

class TButtonCellEditor : public TMetaCellEditor {
  Q_OBJECT

 public:
  explicit TButtonCellEditor(QObject* owner = nullptr);

  // Runs with the button as Sender on a click or Space.
  std::function<void(QObject* sender)> OnClick;

  TAlignMode AlignMode() const { return alignMode_; }
  // Switching to amRelative caps Width and Height at 100 (per cent).
  void SetAlignMode(TAlignMode mode);
  THAlign HAlign() const { return hAlign_; }
  void SetHAlign(THAlign align) { hAlign_ = align; }
  TVAlign VAlign() const { return vAlign_; }
  void SetVAlign(TVAlign align) { vAlign_ = align; }
  // Pixels, or per cent of the cell in amRelative mode; 0 means the cell's size.
  int Width() const { return width_; }
  void SetWidth(int width);
  int Height() const { return height_; }
  void SetHeight(int height);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  // NumGlyphs images side by side: normal, disabled, pressed, down.
  QPixmap Glyph() const { return glyph_; }
  void SetGlyph(const QPixmap& glyph);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  // Distance of the glyph from its edge; -1 centres glyph and caption together.
  int Margin() const { return margin_; }
  void SetMargin(int margin);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int count);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);

  void StartEdit() override;
  void EndEdit() override {}
  void ShowAt(const QRect& rect) override;
  QWidget* MakeInplaceControl(QWidget* parent) override;
  TButtonInplace* Button() const;

 protected:
  void ControlMade() override;

 private:
  void Repaint();

  TAlignMode alignMode_ = amRelative;
  THAlign hAlign_ = haRight;
  TVAlign vAlign_ = vaCenter;
  int width_ = 0;
  int height_ = 0;
  QString caption_;
  QPixmap glyph_;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int numGlyphs_ = 1;
  int spacing_ = 0;
};
