#include "gauge_surface.h"

#include <QPainter>

TGaugeSurface::TGaugeSurface(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TGaugeSurface::SetNeedle(const NeedleLine& line) {
  // Redrawn every tick: repaint only when the needle moved.
  if (needle_ && needle_->endX == line.endX && needle_->endY == line.endY) return;
  needle_ = line;
  update();
}

void TGaugeSurface::SetDial(const QPixmap& dial) {
  dial_ = dial;
  scaledDial_ = QPixmap();
  // Qt fills the background in the palette's window colour, and so knows nothing shows through.
  setAutoFillBackground(!dial_.isNull());
  update();
}

void TGaugeSurface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!dial_.isNull()) {
    const qreal ratio = devicePixelRatioF();
    const QSize size = this->size() * ratio;
    if (scaledDial_.size() != size) {
      scaledDial_ = QPixmap::fromImage(
          dial_.toImage().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
      scaledDial_.setDevicePixelRatio(ratio);
    }
    painter.drawPixmap(0, 0, scaledDial_);
  }
  if (!needle_) return;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(255, 0, 0), 2));
  painter.drawLine(needle_->pivotX, needle_->pivotY, needle_->endX, needle_->endY);
}

void DrawGauge(TGaugeSurface* gauge, int32_t v) {
  if (const auto line = GaugeNeedle(gauge->width(), gauge->height(), v)) gauge->SetNeedle(*line);
}
