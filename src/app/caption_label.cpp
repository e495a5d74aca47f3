#include "caption_label.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

namespace {

// One label shows two servos of up to 256 values each; past this many texts the cache
// starts over rather than grow without end.
constexpr qsizetype kMaxLayouts = 1024;
// A caption sweeps through its servo's 256 positions; room for two sweeps keeps a whole sweep
// in the cache (a cache that starts over within a sweep would never hit).
constexpr qsizetype kMaxPictures = 512;

}  // namespace

TCaptionLabel::TCaptionLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
}

const QStaticText& TCaptionLabel::Layout(const QString& text) {
  const auto found = layouts_.constFind(text);
  if (found != layouts_.constEnd()) return *found;
  if (layouts_.size() >= kMaxLayouts) layouts_.clear();
  QStaticText layout(text);
  layout.setTextFormat(Qt::PlainText);
  // Laid out now for the label's font. Its size, which tells whether the text fits, is for
  // that font until it is drawn with another, so a font change clears the layouts.
  layout.prepare(QTransform(), font());
  return *layouts_.insert(text, layout);
}

const QPixmap* TCaptionLabel::Picture(const QString& text, const PictureLook& look) {
  if (!(look == picturesLook_)) {
    pictures_.clear();
    picturesLook_ = look;
  }
  // A hit needs no layout: the text fitted when its picture was drawn, under the same look.
  const auto found = pictures_.constFind(text);
  if (found != pictures_.constEnd()) return &*found;
  const QStaticText& layout = Layout(text);
  if (layout.size().width() > look.area.width()) return nullptr;
  if (pictures_.size() >= kMaxPictures) pictures_.clear();
  QPixmap picture((QSizeF(look.size) * look.dpr).toSize());
  picture.setDevicePixelRatio(look.dpr);
  picture.fill(look.paper);
  {
    QPainter painter(&picture);
    painter.setPen(look.ink);
    painter.setFont(font());
    painter.drawStaticText(look.at, layout);
  }
  return &*pictures_.insert(text, picture);
}

void TCaptionLabel::SetOpaque(bool opaque) {
  paper_.SetOpaque(opaque);
}

void TCaptionLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    layouts_.clear();
    pictures_.clear();
  }
  if (event->type() == QEvent::PaletteChange) paper_.PaletteChanged();
  QLabel::changeEvent(event);
}

void TCaptionLabel::paintEvent(QPaintEvent* event) {
  const QString& shown = text();
  const auto usualWay = [this, event] {
    if (paper_.Fills()) {
      QPainter painter(this);
      paper_.Fill(painter);
    }
    QLabel::paintEvent(event);
  };
  // The quick way covers the one case the captions need, one line of plain text that fits
  // (so word wrap changes nothing), left-aligned, centred vertically, with no frame, indent
  // or buddy's shortcut, where it draws exactly what a label would; anything else is drawn
  // the usual way.
  const bool oneLine = textFormat() == Qt::PlainText && !shown.contains(QLatin1Char('\n'));
  if (!oneLine || alignment() != (Qt::AlignLeft | Qt::AlignVCenter) ||
      frameShape() != QFrame::NoFrame || indent() > 0 || buddy()) {
    return usualWay();
  }
  const QRect area =
      contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
  // A label centres the font's own height, not the line's height rounded up to whole pixels.
  const qreal height = QFontMetricsF(font()).height();
  if (height > area.height()) return usualWay();
  const QPointF at(area.left(), area.top() + (area.height() - height) / 2);
  const QColor ink = palette().color(foregroundRole());
  // Over its own background the whole label can be kept as a picture per text, and copying
  // that costs a fraction of drawing the glyphs.
  if (paper_.Fills()) {
    const QColor paper = palette().color(backgroundRole());
    const QPixmap* picture = Picture(shown, {size(), devicePixelRatioF(), area, at, ink, paper});
    if (!picture) return usualWay();
    QPainter(this).drawPixmap(0, 0, *picture);
    return;
  }
  const QStaticText& layout = Layout(shown);
  if (layout.size().width() > area.width()) return usualWay();
  QPainter painter(this);
  painter.setPen(ink);
  painter.drawStaticText(at, layout);
}
