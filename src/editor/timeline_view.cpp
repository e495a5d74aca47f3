#include "timeline_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kTopPosition = 255;
// A click selects a point this close to it, in pixels.
constexpr double kClickReach = 8;

QColor ServoColour(int servo) {
  static const QColor colours[] = {QColor(200, 30, 30), QColor(30, 80, 200),  QColor(20, 140, 40),
                                   QColor(230, 130, 0), QColor(160, 40, 170), QColor(0, 150, 150)};
  return colours[(servo - 1) % 6];
}

// A step between time labels that gives about six of them.
int64_t TimeStep(int64_t totalMs) {
  static const int64_t steps[] = {100,   200,   500,   1000,  2000,   5000,
                                  10000, 20000, 30000, 60000, 120000, 300000};
  for (int64_t step : steps) {
    if (totalMs / step <= 6) return step;
  }
  return 600000;
}

QString SecondsText(int64_t ms, int64_t step) {
  return step < 1000 ? QStringLiteral("%1 s").arg(static_cast<double>(ms) / 1000, 0, 'f', 1)
                     : QStringLiteral("%1 s").arg(ms / 1000);
}

}  // namespace

TTimelineView::TTimelineView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(240, 140);
}

void TTimelineView::SetModel(TimelineModel model) {
  model_ = std::move(model);
  update();
}

void TTimelineView::SetCursorMs(int64_t ms) {
  if (ms == cursorMs_) return;
  cursorMs_ = ms;
  update();
}

QRectF TTimelineView::Plot() const {
  return QRectF(QPointF(36, 20), QPointF(width() - 12, height() - 24));
}

double TTimelineView::MsPerPixel() const {
  return static_cast<double>(std::max<int64_t>(model_.totalMs, 1)) / std::max(1.0, Plot().width());
}

QPointF TTimelineView::PointAt(int64_t ms, double position) const {
  const QRectF plot = Plot();
  return {plot.left() + static_cast<double>(ms) / MsPerPixel(),
          plot.bottom() - position / kTopPosition * plot.height()};
}

void TTimelineView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Base));
  const QRectF plot = Plot();
  const QColor text = palette().color(QPalette::Text);

  p.setPen(Qt::NoPen);
  for (const TimelineSpan& pause : model_.pauses) {
    const double from = PointAt(pause.fromMs, 0).x();
    const double to = PointAt(pause.toMs, 0).x();
    p.fillRect(QRectF(from, plot.top(), std::max(1.0, to - from), plot.height()),
               QColor(215, 215, 215));
  }

  // Axes: positions 0, 127 and 254 at the left, seconds along the bottom.
  p.setPen(QPen(QColor(190, 190, 190), 0, Qt::DotLine));
  for (int position : {0, 127, 254}) {
    const double y = PointAt(0, position).y();
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  p.setPen(text);
  for (int position : {0, 127, 254}) {
    const double y = PointAt(0, position).y();
    p.drawText(QRectF(0, y - 8, plot.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(position));
  }
  const int64_t step = TimeStep(model_.totalMs);
  for (int64_t ms = 0; ms <= model_.totalMs; ms += step) {
    const double x = PointAt(ms, 0).x();
    p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 3));
    p.drawText(QRectF(x - 30, plot.bottom() + 4, 60, 16), Qt::AlignHCenter | Qt::AlignTop,
               SecondsText(ms, step));
  }
  p.drawRect(plot);

  if (model_.commandStartMs.empty()) {
    p.drawText(plot, Qt::AlignCenter, tr("The script has no command to play."));
  }

  p.setRenderHint(QPainter::Antialiasing);
  for (int s = 1; s <= kServoCount; ++s) {
    const std::vector<TimelinePoint>& points = model_.servo[s];
    if (points.empty()) continue;
    // The servo holds each position until it is sent the next.
    QPainterPath path(PointAt(points.front().ms, points.front().position));
    for (size_t k = 1; k < points.size(); ++k) {
      path.lineTo(PointAt(points[k].ms, points[k - 1].position));
      path.lineTo(PointAt(points[k].ms, points[k].position));
    }
    path.lineTo(PointAt(model_.totalMs, points.back().position));
    p.setPen(QPen(ServoColour(s), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    // A dot where a command brings the servo (a smooth move's ticks lead up to it).
    p.setBrush(ServoColour(s));
    for (size_t k = 1; k < points.size(); ++k) {
      if (k + 1 < points.size() && points[k + 1].command == points[k].command) continue;
      p.drawEllipse(PointAt(points[k].ms, points[k].position), 3, 3);
    }
    p.setPen(ServoColour(s));
    p.drawText(QRectF(plot.left() + (s - 1) * 56, 2, 56, 16), Qt::AlignLeft | Qt::AlignVCenter,
               tr("servo %1").arg(s));
  }

  // The table plane: a dashed line where the tool point passes through it, with a triangle
  // pointing the way it goes.
  const QColor table(150, 0, 0);
  for (const TimelineCrossing& c : model_.crossings) {
    const double x = PointAt(c.ms, 0).x();
    p.setPen(QPen(table, 1, Qt::DashLine));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    const double tip = c.below ? plot.top() + 8 : plot.top();
    const double base = c.below ? plot.top() : plot.top() + 8;
    p.setPen(Qt::NoPen);
    p.setBrush(table);
    p.drawPolygon(QPolygonF({QPointF(x - 5, base), QPointF(x + 5, base), QPointF(x, tip)}));
  }

  // A wait for the operator: a green bar with a W at its head.
  const QColor waitColour(0, 140, 60);
  for (const TimelinePoint& wait : model_.operatorWaits) {
    const double x = PointAt(wait.ms, 0).x();
    p.setPen(QPen(waitColour, 2));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    p.drawText(QRectF(x + 2, plot.top() + 2, 16, 16), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("W"));
  }
  // A loop for ever, drawn once: a bracket under the top edge from its label to its jump.
  if (model_.foreverFromMs >= 0 && model_.foreverToMs >= model_.foreverFromMs) {
    const double from = PointAt(model_.foreverFromMs, 0).x();
    const double to = PointAt(model_.foreverToMs, 0).x();
    const double y = plot.top() + 12;
    p.setPen(QPen(text, 1.5));
    p.drawLine(QPointF(from, y - 6), QPointF(from, y));
    p.drawLine(QPointF(from, y), QPointF(to, y));
    p.drawLine(QPointF(to, y), QPointF(to, y - 6));
    p.drawText(QRectF(from, y, std::max(to - from, 120.0), 16), Qt::AlignHCenter | Qt::AlignTop,
               tr("repeats for ever"));
  }

  if (cursorMs_ >= 0) {
    const double x = PointAt(std::min(cursorMs_, model_.totalMs), 0).x();
    p.setPen(QPen(QColor(0, 90, 255), 2));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
  }
}

void TTimelineView::mousePressEvent(QMouseEvent* event) {
  const QRectF plot = Plot();
  const QPointF at = event->position();
  const double msPerPixel = MsPerPixel();
  const double positionsPerPixel = kTopPosition / std::max(1.0, plot.height());
  const auto ms = static_cast<int64_t>(std::llround((at.x() - plot.left()) * msPerPixel));
  const double position = (plot.bottom() - at.y()) * positionsPerPixel;
  const TimelinePoint* point = model_.NearestPoint(ms, position, msPerPixel / positionsPerPixel);
  if (!point || !onCommandClicked) return;
  const QPointF shown = PointAt(point->ms, point->position);
  if (std::hypot(shown.x() - at.x(), shown.y() - at.y()) > kClickReach) return;
  onCommandClicked(point->command);
}
