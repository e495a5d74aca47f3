#include "arm_view.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <span>

namespace {

constexpr int kViewSize = 200;
constexpr double kMargin = 8;
// How near a joint a press must be to take it, in pixels.
constexpr double kGrip = 10;
constexpr int kHandServos[] = {1, 2, 4, 3};

}  // namespace

TArmView::TArmView(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setWindowTitle(tr("Virtual arm"));
  FitHeight();
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

void TArmView::SetServos(const int32_t positions[7]) {
  std::copy(positions, positions + 7, positions_);
  update();
}

void TArmView::SetVirtual(bool on) {
  virtual_ = on;
  setWindowTitle(on ? tr("Virtual arm") : tr("Arm"));
  FitHeight();
  update();
}

void TArmView::SetMeasured(const std::optional<std::array<int32_t, 7>>& positions) {
  measured_ = positions;
  FitHeight();
  update();
}

void TArmView::SetTable(double minToolY) {
  table_ = minToolY;
  update();
}

void TArmView::SetPreview(const MovePlan& plan) {
  preview_ = plan;
  previewReason_ = QString::fromStdString(plan.reason);
  FitHeight();
  update();
}

void TArmView::ClearPreview() {
  preview_.reset();
  previewReason_.clear();
  FitHeight();
  update();
}

ToolPoint TArmView::toolPoint() const {
  return ToolPointFromPositions(positions_,
                                ArmGeometry{static_cast<float>(h_), static_cast<float>(l1_),
                                            static_cast<float>(l2_), static_cast<float>(l3_)});
}

QRectF TArmView::sideView() const {
  return {10, 24, kViewSize, kViewSize};
}

QPointF TArmView::SidePoint(double reach, double height) const {
  // The arm sweeps reach -R..R and height H-R..H+R; the base (height 0) stays in sight.
  const double r = std::max(Reach(), 1e-9);
  const double low = std::min(0.0, h_ - r);
  const double high = std::max(h_ + r, 1e-9);
  const QRectF inner = sideView().adjusted(kMargin, kMargin, -kMargin, -kMargin);
  const double scale = std::min(inner.width() / (2 * r), inner.height() / (high - low));
  // Centred both ways in the view.
  const double left = inner.center().x() - r * scale;
  const double bottom = inner.center().y() + (high - low) * scale / 2;
  return {left + (reach + r) * scale, bottom - (height - low) * scale};
}

QPointF TArmView::HandlePoint(int servo, const int32_t positions[7]) const {
  const ArmPose pose =
      PoseFromPositions(std::span<const int32_t, 7>(positions, 7), h_, l1_, l2_, l3_);
  if (servo == 3) {
    const QRectF top(20 + kViewSize, 24, kViewSize, kViewSize);
    const double reach =
        (kViewSize / 2.0 - kMargin) * std::max(pose.tool.reach, 0.0) / std::max(Reach(), 1e-9);
    return top.center() +
           QPointF(reach * std::cos(pose.baseTurn), -reach * std::sin(pose.baseTurn));
  }
  const ArmPoint& end = servo == 1 ? pose.elbow : servo == 2 ? pose.wrist : pose.tool;
  return SidePoint(end.reach, end.height);
}

void TArmView::mousePressEvent(QMouseEvent* event) {
  dragged_ = 0;
  for (int servo : kHandServos) {
    const QPointF d = HandlePoint(servo, positions_) - event->position();
    if (std::hypot(d.x(), d.y()) <= kGrip) {
      dragged_ = servo;
      return;
    }
  }
}

void TArmView::mouseMoveEvent(QMouseEvent* event) {
  if (dragged_ == 0) return;
  // The position that brings the joint nearest the pointer, as a hand turns it.
  int32_t trial[7];
  std::copy(positions_, positions_ + 7, trial);
  int32_t best = positions_[dragged_];
  double nearest = HUGE_VAL;
  for (int32_t p = 0; p <= 254; ++p) {
    trial[dragged_] = p;
    const QPointF d = HandlePoint(dragged_, trial) - event->position();
    const double distance = std::hypot(d.x(), d.y());
    if (distance < nearest) {
      nearest = distance;
      best = p;
    }
  }
  if (best != positions_[dragged_]) Q_EMIT handMoved(dragged_, best);
}

void TArmView::mouseReleaseEvent(QMouseEvent*) {
  dragged_ = 0;
}

void TArmView::paintEvent(QPaintEvent*) {
  ++paints_;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(245, 245, 240));
  const ArmPose pose = PoseFromPositions(positions_, h_, l1_, l2_, l3_);

  // Side view: reach to the right, height up; the ground line through the base.
  const QRectF side = sideView();
  p.setPen(Qt::gray);
  p.drawRect(side);
  p.drawText(side.topLeft() + QPointF(4, -6), tr("side"));
  const QPointF base = SidePoint(0, 0);
  p.setPen(QPen(QColor(190, 190, 180), 1));
  p.drawLine(QPointF(side.left(), base.y()), QPointF(side.right(), base.y()));
  const double tableY = SidePoint(0, table_).y();
  p.setPen(QPen(QColor(150, 110, 60), 1, Qt::DashLine));
  p.drawLine(QPointF(side.left(), tableY), QPointF(side.right(), tableY));
  DrawArm(p, positions_, false);
  if (measured_) DrawArm(p, measured_->data(), true);

  // Top view: the base axis in the middle, X to the right, Z up; the circle is the reach.
  const QRectF top(20 + kViewSize, 24, kViewSize, kViewSize);
  p.setPen(Qt::gray);
  p.drawRect(top);
  p.drawText(top.topLeft() + QPointF(4, -6), tr("top"));
  const QPointF axis = top.center();
  const double radius = kViewSize / 2.0 - kMargin;
  const double topScale = radius / std::max(Reach(), 1e-9);
  p.setPen(QPen(QColor(190, 190, 180), 1));
  p.drawEllipse(axis, radius, radius);
  const double reach = std::max(pose.tool.reach, 0.0) * topScale;
  p.setPen(QPen(QColor(30, 90, 200), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(axis,
             axis + QPointF(reach * std::cos(pose.baseTurn), -reach * std::sin(pose.baseTurn)));
  p.setBrush(QColor(60, 60, 60));
  p.drawEllipse(axis, 4, 4);

  DrawPreview(p);
  DrawTexts(&p, kViewSize + 32);
}

void TArmView::DrawArm(QPainter& p, const int32_t positions[7], bool measured) {
  const ArmPose pose =
      PoseFromPositions(std::span<const int32_t, 7>(positions, 7), h_, l1_, l2_, l3_);
  auto at = [&](const ArmPoint& a) { return SidePoint(a.reach, a.height); };
  // The measured pose is a thin line over the sent one, so both stay visible.
  const auto pen = [measured](const QColor& colour, double width) {
    return measured ? QPen(QColor(90, 90, 90), 1.5, Qt::SolidLine, Qt::RoundCap)
                    : QPen(colour, width, Qt::SolidLine, Qt::RoundCap);
  };
  p.setPen(pen(QColor(60, 60, 60), 4));
  p.drawLine(SidePoint(0, 0), at(pose.shoulder));
  p.setPen(pen(QColor(30, 90, 200), 4));
  p.drawLine(at(pose.shoulder), at(pose.elbow));
  p.setPen(pen(QColor(30, 150, 90), 4));
  p.drawLine(at(pose.elbow), at(pose.wrist));
  p.setPen(pen(QColor(220, 60, 40), 3));
  p.drawLine(at(pose.wrist), at(pose.tool));
}

QStringList TArmView::Texts() const {
  const ToolPoint tool = toolPoint();
  QStringList texts{tr("tool point  X %1   Y %2   Z %3 cm")
                        .arg(tool.X, 0, 'f', 1)
                        .arg(tool.Y, 0, 'f', 1)
                        .arg(tool.Z, 0, 'f', 1)};
  const auto servos = [](const int32_t positions[7]) {
    QStringList parts;
    for (int i = 1; i <= 6; ++i) parts << QStringLiteral("sv%1: %2").arg(i).arg(positions[i]);
    return parts.join(QStringLiteral("   "));
  };
  texts << servos(positions_);
  if (measured_) texts << tr("read back  %1").arg(servos(measured_->data()));
  if (virtual_) texts << tr("frames: %1   bad frames: %2").arg(frames_).arg(badFrames_);
  return texts;
}

int TArmView::DrawTexts(QPainter* p, int top) const {
  const QFontMetrics metrics(font());
  const int width = this->width() - 20;
  int y = top;
  const auto draw = [&](const QString& text, const QColor& colour) {
    const QRect box = metrics.boundingRect(QRect(10, y, width, 1000), Qt::TextWordWrap, text);
    if (p) {
      p->setPen(colour);
      p->drawText(QRect(10, y, width, box.height()), Qt::TextWordWrap, text);
    }
    y += box.height() + 4;
  };
  for (const QString& text : Texts()) draw(text, Qt::black);
  if (!previewReason_.isEmpty()) {
    draw(previewReason_, previewRefused() ? QColor(220, 0, 0) : QColor(40, 40, 40));
  }
  return y;
}

void TArmView::FitHeight() {
  // Every line wraps within the width; the window grows to the last one, never cutting it.
  const int width = 2 * kViewSize + 30;
  if (this->width() != width) setFixedWidth(width);
  const int height = DrawTexts(nullptr, kViewSize + 32) + 6;
  if (this->height() != height) setFixedHeight(height);
}

void TArmView::DrawPreview(QPainter& p) {
  if (!preview_) return;
  const QColor colour = preview_->accepted() ? QColor(40, 40, 40) : QColor(220, 0, 0);
  if (preview_->solved) {
    int32_t target[7];
    std::copy(positions_, positions_ + 7, target);
    std::copy(preview_->position + 1, preview_->position + 5, target + 1);
    const ArmPose pose = PoseFromPositions(target, h_, l1_, l2_, l3_);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.5, Qt::DashLine, Qt::RoundCap));
    const ArmPoint joints[] = {{0, 0}, pose.shoulder, pose.elbow, pose.wrist, pose.tool};
    for (int k = 0; k + 1 < 5; ++k) {
      p.drawLine(SidePoint(joints[k].reach, joints[k].height),
                 SidePoint(joints[k + 1].reach, joints[k + 1].height));
    }
    p.drawEllipse(SidePoint(pose.tool.reach, pose.tool.height), 4, 4);
  }
}
