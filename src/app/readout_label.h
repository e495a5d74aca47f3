// A label of a few centred lines of plain text that changes on every tick while the arm moves.
// Each character is kept as a picture over the label's own background, and a new text is put
// together from them in an image of the whole label, drawn at once: shaping and drawing each
// new text, or copying a picture per word, was most of the tick's cost. Kerning between the
// characters is given up; a readout of numbers has none to speak of.
#pragma once

#include <QImage>
#include <QLabel>
#include <array>

#include "own_paper.h"

class TReadoutLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TReadoutLabel(QWidget* parent = nullptr);

  // Filled with the palette's background colour and drawn as a whole: nothing beneath it is
  // repainted when its text changes. Only an opaque label draws the quick way.
  void SetOpaque(bool opaque);

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Glyph {
    QImage image;  // in device pixels, over the background; null until made
    qreal advance = 0;
    int columns = 0;  // the image's, asked once
    int rows = 0;
    qsizetype stride = 0;
  };

  // Printable ASCII: what a readout of numbers and short words is made of.
  static constexpr char16_t kFirst = 0x20;
  static constexpr char16_t kLast = 0x7e;

  // The picture of `c` (kFirst to kLast) in the current font, colours and pixel ratio, made
  // on first use.
  const Glyph& GlyphOf(QChar c);
  void ForgetGlyphs();
  // False where the quick way would not draw what a label draws.
  bool DrawQuick();

  std::array<Glyph, kLast - kFirst + 1> glyphs_;
  qreal glyphsRatio_ = 0;
  QImage sheet_;
  TOwnPaper paper_{this};
};
