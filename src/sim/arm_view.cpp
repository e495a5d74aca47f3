#include "arm_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "arm_pose.h"

namespace {
constexpr int kViewSize = 200;
}

TArmView::TArmView(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setWindowTitle(QStringLiteral("Virtual arm"));
  setFixedSize(2 * kViewSize + 30, kViewSize + 90);
}

void TArmView::SetLinks(double H, double L1, double L2, double L3) {
  h_ = H;
  l1_ = L1;
  l2_ = L2;
  l3_ = L3;
  update();
}

void TArmView::SetServos(const int32_t positions[7], uint64_t frames, uint64_t badFrames) {
  std::copy(positions, positions + 7, positions_);
  frames_ = frames;
  badFrames_ = badFrames;
  update();
}

void TArmView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(245, 245, 240));
  const ArmPose pose = PoseFromPositions(positions_, h_, l1_, l2_, l3_);
  const double extent = std::max(1.0, h_ + l1_ + l2_ + l3_);
  const double scale = (kViewSize / 2 - 10) / extent;

  // Side view: base at the bottom middle, reach to the right, height up.
  const QRectF side(10, 24, kViewSize, kViewSize);
  p.setPen(Qt::gray);
  p.drawRect(side);
  p.drawText(side.topLeft() + QPointF(4, -6), QStringLiteral("side"));
  const QPointF base(side.center().x() - kViewSize / 4.0, side.bottom() - 10);
  auto at = [&](const ArmPoint& a) {
    return QPointF(base.x() + a.reach * scale, base.y() - a.height * scale);
  };
  p.setPen(QPen(QColor(60, 60, 60), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(base, at(pose.shoulder));
  p.setPen(QPen(QColor(30, 90, 200), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(at(pose.shoulder), at(pose.elbow));
  p.setPen(QPen(QColor(30, 150, 90), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(at(pose.elbow), at(pose.wrist));
  p.setPen(QPen(QColor(220, 60, 40), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(at(pose.wrist), at(pose.tool));

  // Top view: the base axis in the middle, X to the right, Z up.
  const QRectF top(20 + kViewSize, 24, kViewSize, kViewSize);
  p.setPen(Qt::gray);
  p.drawRect(top);
  p.drawText(top.topLeft() + QPointF(4, -6), QStringLiteral("top"));
  const QPointF axis = top.center();
  const double reach = std::max(pose.tool.reach, 0.0) * scale;
  p.setPen(QPen(QColor(30, 90, 200), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(axis,
             axis + QPointF(reach * std::cos(pose.baseTurn), -reach * std::sin(pose.baseTurn)));
  p.setBrush(QColor(60, 60, 60));
  p.drawEllipse(axis, 4, 4);

  p.setPen(Qt::black);
  QString servos;
  for (int i = 1; i <= 6; ++i) servos += QStringLiteral("sv%1: %2   ").arg(i).arg(positions_[i]);
  p.drawText(QPointF(10, kViewSize + 50), servos.trimmed());
  p.drawText(QPointF(10, kViewSize + 72),
             QStringLiteral("frames: %1   bad frames: %2").arg(frames_).arg(badFrames_));
}
