// The background of a widget that draws itself whole. Qt fills a background with a painter
// of its own before the widget's; where the background is one opaque colour, the widget's
// own painter fills it instead, one painter fewer on every repaint.
#pragma once

class QPainter;
class QWidget;

class TOwnPaper {
 public:
  explicit TOwnPaper(QWidget* widget) : widget_(widget) {}

  // Opaque: filled with the palette's background as autoFillBackground would; not opaque:
  // not filled.
  void SetOpaque(bool opaque);
  // From the widget's palette change. A widget that is not opaque keeps the background its
  // owner chose.
  void PaletteChanged();
  // Whether the widget's paint event fills the background, with Fill.
  bool Fills() const { return fills_; }
  void Fill(QPainter& painter) const;

 private:
  void Update();

  QWidget* widget_;
  bool opaque_ = false;
  bool fills_ = false;
};
