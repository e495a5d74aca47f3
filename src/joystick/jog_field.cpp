#include "jog_field.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

constexpr double kKnobRadius = 12;

double Clamp1(double v) {
  return std::clamp(v, -1.0, 1.0);
}

}  // namespace

TJogField::TJogField(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(80, 80);
}

QRectF TJogField::Travel() const {
  // The square the knob's centre moves in, centred in the widget.
  const double side = std::max(0.0, std::min(width(), height()) - 2 * kKnobRadius - 2);
  QRectF square(QPointF(), QSizeF(side, side));
  square.moveCenter(QRectF(rect()).center());
  return square;
}

QPointF TJogField::KnobCentre() const {
  const QRectF t = Travel();
  return t.center() + QPointF(dx_ * t.width() / 2, dy_ * t.height() / 2);
}

void TJogField::SetDeflection(double dx, double dy) {
  dx = Clamp1(dx);
  dy = Clamp1(dy);
  if (dx == dx_ && dy == dy_) return;
  dx_ = dx;
  dy_ = dy;
  update();
  Q_EMIT Moved();
}

void TJogField::SetAxes(double axisX, double axisY) {
  SetDeflection(axisX - 1, 1 - axisY);
}

void TJogField::DragTo(const QPointF& point) {
  const QRectF t = Travel();
  if (t.width() <= 0) return;
  SetDeflection((point.x() - t.center().x()) / (t.width() / 2),
                (point.y() - t.center().y()) / (t.height() / 2));
}

void TJogField::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF t = Travel();
  const QRectF field = t.adjusted(-kKnobRadius, -kKnobRadius, kKnobRadius, kKnobRadius);
  p.setPen(palette().color(QPalette::Mid));
  p.setBrush(palette().color(QPalette::Base));
  p.drawRect(field);
  // The knob's centre must pass these lines before a servo moves.
  const double reach = 0.9;
  p.setPen(QPen(palette().color(QPalette::Midlight), 1, Qt::DashLine));
  p.setBrush(Qt::NoBrush);
  QRectF dead(QPointF(), t.size() * reach);
  dead.moveCenter(t.center());
  p.drawRect(dead);
  p.setPen(palette().color(QPalette::Mid));
  p.drawLine(QPointF(t.center().x(), field.top()), QPointF(t.center().x(), field.bottom()));
  p.drawLine(QPointF(field.left(), t.center().y()), QPointF(field.right(), t.center().y()));
  p.setPen(QPen(QColor(40, 40, 40), hasFocus() ? 2 : 1));
  p.setBrush(Centred() ? QColor(150, 150, 150) : QColor(220, 60, 40));
  p.drawEllipse(KnobCentre(), kKnobRadius, kKnobRadius);
}

void TJogField::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  dragging_ = true;
  DragTo(event->position());
}

void TJogField::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) DragTo(event->position());
}

void TJogField::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  // Springs back, so the arm stops when the knob is let go.
  dragging_ = false;
  SetDeflection(0, 0);
}

void TJogField::Release() {
  dragging_ = false;
  SetDeflection(0, 0);
}

void TJogField::keyPressEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) {
    const int k = event->key();
    if (k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down) return;
  }
  switch (event->key()) {
    case Qt::Key_Left:
      SetDeflection(-1, dy_);
      break;
    case Qt::Key_Right:
      SetDeflection(1, dy_);
      break;
    case Qt::Key_Up:
      SetDeflection(dx_, -1);
      break;
    case Qt::Key_Down:
      SetDeflection(dx_, 1);
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void TJogField::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
      SetDeflection(0, dy_);
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
      SetDeflection(dx_, 0);
      break;
    default:
      QWidget::keyReleaseEvent(event);
  }
}

void TJogField::focusOutEvent(QFocusEvent* event) {
  // A key released in another window never reaches us: let go rather than jog on.
  if (!dragging_) SetDeflection(0, 0);
  QWidget::focusOutEvent(event);
}
