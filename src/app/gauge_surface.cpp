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

void TGaugeSurface::paintEvent(QPaintEvent*) {
  if (!needle_) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(255, 0, 0), 2));
  painter.drawLine(needle_->pivotX, needle_->pivotY, needle_->endX, needle_->endY);
}

void DrawGauge(TGaugeSurface* gauge, int32_t v) {
  if (const auto line = GaugeNeedle(gauge->width(), gauge->height(), v)) gauge->SetNeedle(*line);
}
