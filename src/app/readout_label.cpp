#include "readout_label.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxLines = 4;

}  // namespace

TReadoutLabel::TReadoutLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
}

void TReadoutLabel::SetOpaque(bool opaque) {
  paper_.SetOpaque(opaque);
}

void TReadoutLabel::changeEvent(QEvent* event) {
  const auto type = event->type();
  if (type == QEvent::FontChange || type == QEvent::PaletteChange) ForgetGlyphs();
  if (type == QEvent::PaletteChange) paper_.PaletteChanged();
  QLabel::changeEvent(event);
}

void TReadoutLabel::ForgetGlyphs() {
  glyphs_.fill({});
}

const TReadoutLabel::Glyph& TReadoutLabel::GlyphOf(QChar c) {
  Glyph& glyph = glyphs_[c.unicode() - kFirst];
  if (!glyph.image.isNull()) return glyph;
  const QFontMetricsF metrics(font());
  const qreal dpr = glyphsRatio_;
  Glyph made{{}, metrics.horizontalAdvance(c)};
  made.image = QImage(std::max(1, static_cast<int>(std::ceil(made.advance * dpr))),
                      static_cast<int>(std::ceil(metrics.height() * dpr)), QImage::Format_RGB32);
  made.image.setDevicePixelRatio(dpr);
  made.image.fill(palette().color(backgroundRole()));
  {
    QPainter painter(&made.image);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(QPointF(0, metrics.ascent()), QString(c));
  }
  made.columns = made.image.width();
  made.rows = made.image.height();
  made.stride = made.image.bytesPerLine();
  return glyph = std::move(made);
}

bool TReadoutLabel::DrawQuick() {
  if (!paper_.Fills() || !isEnabled() || textFormat() != Qt::PlainText ||
      alignment() != Qt::AlignCenter || frameShape() != QFrame::NoFrame || indent() > 0 ||
      buddy() || wordWrap()) {
    return false;
  }
  const qreal dpr = devicePixelRatioF();
  if (dpr != glyphsRatio_) {
    ForgetGlyphs();
    glyphsRatio_ = dpr;
  }
  const QString& shown = text();
  const QRect area =
      contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
  // Each line's width first: a line too wide, or too many lines, is left to the label, which
  // would cut or wrap them in its own way.
  QVarLengthArray<QStringView, kMaxLines> lines;
  QVarLengthArray<qreal, kMaxLines> widths;
  QVarLengthArray<const Glyph*, 64> glyphs;
  for (const QStringView line : QStringView(shown).tokenize(QLatin1Char('\n'))) {
    if (lines.size() == kMaxLines) return false;
    qreal width = 0;
    // Other characters (other scripts, joined or combining forms) are drawn the label's
    // own way, where shaping matters.
    for (const QChar c : line) {
      if (c.unicode() < kFirst || c.unicode() > kLast) return false;
      glyphs.push_back(&GlyphOf(c));
      width += glyphs.back()->advance;
    }
    if (width > area.width()) return false;
    lines.push_back(line);
    widths.push_back(width);
  }
  const qreal lineHeight = QFontMetricsF(font()).height();
  const qreal height = lineHeight * lines.size();
  if (height > area.height()) return false;
  const QSize pixels = (QSizeF(size()) * dpr).toSize();
  if (sheet_.size() != pixels) sheet_ = QImage(pixels, QImage::Format_RGB32);
  sheet_.setDevicePixelRatio(dpr);
  sheet_.fill(palette().color(backgroundRole()));
  // One detach for the whole text: each scanLine() would check again.
  uchar* const bits = sheet_.bits();
  const qsizetype stride = sheet_.bytesPerLine();
  const int sheetWidth = sheet_.width();
  const int sheetHeight = sheet_.height();
  qreal y = area.top() + (area.height() - height) / 2;
  const Glyph* const* next = glyphs.data();
  for (qsizetype i = 0; i < lines.size(); ++i) {
    qreal x = area.left() + (area.width() - widths[i]) / 2;
    const int top = qRound(y * dpr);
    for (const QChar c : lines[i]) {
      const Glyph& glyph = **next++;
      const int left = qRound(x * dpr);
      x += glyph.advance;
      if (c == QLatin1Char(' ')) continue;
      // Whole rows of the glyph's picture, clipped to the label.
      const int columns = std::min(glyph.columns, sheetWidth - left);
      const int rows = std::min(glyph.rows, sheetHeight - top);
      if (left < 0 || top < 0 || columns <= 0) continue;
      // A glyph row is a few pixels: copied in line, not through memcpy.
      const uchar* from = glyph.image.constBits();
      uchar* to = bits + top * stride + left * 4;
      for (int r = 0; r < rows; ++r, from += glyph.stride, to += stride) {
        std::copy_n(reinterpret_cast<const quint32*>(from), columns,
                    reinterpret_cast<quint32*>(to));
      }
    }
    y += lineHeight;
  }
  QPainter(this).drawImage(0, 0, sheet_);
  return true;
}

void TReadoutLabel::paintEvent(QPaintEvent* event) {
  if (DrawQuick()) return;
  if (paper_.Fills()) {
    QPainter painter(this);
    paper_.Fill(painter);
  }
  QLabel::paintEvent(event);
}
