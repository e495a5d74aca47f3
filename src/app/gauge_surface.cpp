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
  // The dial drawn on the window colour covers the whole surface, so Qt paints nothing
  // beneath it: neither the panel nor a background of this widget's own.
  setAttribute(Qt::WA_OpaquePaintEvent, !dial_.isNull());
  update();
}

void TGaugeSurface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!dial_.isNull()) {
    const qreal ratio = devicePixelRatioF();
    const QSize size = this->size() * ratio;
    const QColor paper = palette().color(backgroundRole());
    if (scaledDial_.size() != size || paper != dialPaper_) {
      // Stretched as a label with scaled contents would, over the window colour as a
      // background filled by Qt would be.
      dialPaper_ = paper;
      scaledDial_ = QPixmap(size);
      scaledDial_.fill(paper);
      QPainter onto(&scaledDial_);
      onto.drawImage(0, 0,
                     dial_.toImage().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
      onto.end();
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
