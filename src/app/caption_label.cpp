#include "caption_label.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

// One label shows two servos of up to 256 values each; past this many texts the cache
// starts over rather than grow without end.
constexpr qsizetype kMaxLayouts = 1024;

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
  // Laid out now for the label's font; a static text drawn with another font lays itself out
  // again, so a font change needs no clearing here.
  layout.prepare(QTransform(), font());
  return *layouts_.insert(text, layout);
}

void TCaptionLabel::paintEvent(QPaintEvent* event) {
  const QString& shown = text();
  // The quick way covers the one case the captions need, one line of plain text that fits
  // (so word wrap changes nothing), left-aligned, centred vertically, with no frame, indent
  // or buddy's shortcut, where it draws exactly what a label would; anything else is drawn
  // the usual way.
  const bool oneLine = textFormat() == Qt::PlainText && !shown.contains(QLatin1Char('\n'));
  if (!oneLine || alignment() != (Qt::AlignLeft | Qt::AlignVCenter) ||
      frameShape() != QFrame::NoFrame || indent() > 0 || buddy()) {
    QLabel::paintEvent(event);
    return;
  }
  const QStaticText& layout = Layout(shown);
  const QRect area =
      contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
  // A label centres the font's own height, not the line's height rounded up to whole pixels.
  const qreal height = QFontMetricsF(font()).height();
  if (layout.size().width() > area.width() || height > area.height()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  painter.drawStaticText(QPointF(area.left(), area.top() + (area.height() - height) / 2), layout);
}
