#include "gauge_surface.h"

#include <QPainter>

namespace {

// A gauge shows 101 values; past this many needle positions the pictures start over rather
// than grow without end.
constexpr size_t kMaxPictures = 128;

void DrawNeedle(QPainter& painter, const NeedleLine& line) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(255, 0, 0), 2));
  painter.drawLine(line.pivotX, line.pivotY, line.endX, line.endY);
}

}  // namespace

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
  scaledDial_ = QPixmap();  // and with it the needle pictures, at the next repaint
  // The dial drawn on the window colour covers the whole surface, so Qt paints nothing
  // beneath it: neither the panel nor a background of this widget's own.
  setAttribute(Qt::WA_OpaquePaintEvent, !dial_.isNull());
  update();
}

const QPixmap& TGaugeSurface::Picture(const NeedleLine& line) {
  const auto found = pictures_.find(line);
  if (found != pictures_.end()) return found->second;
  if (pictures_.size() >= kMaxPictures) pictures_.clear();
  QPixmap picture = scaledDial_;  // a copy once painted on
  {
    QPainter onto(&picture);
    DrawNeedle(onto, line);
  }
  return pictures_.emplace(line, std::move(picture)).first->second;
}

void TGaugeSurface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (dial_.isNull()) {
    if (needle_) DrawNeedle(painter, *needle_);
    return;
  }
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
    pictures_.clear();
  }
  painter.drawPixmap(0, 0, needle_ ? Picture(*needle_) : scaledDial_);
}

void DrawGauge(TGaugeSurface* gauge, int32_t v) {
  if (const auto line = GaugeNeedle(gauge->width(), gauge->height(), v)) gauge->SetNeedle(*line);
}
