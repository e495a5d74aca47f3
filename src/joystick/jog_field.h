// The jog pad's stick: a square field with a knob. Dragging the knob deflects it and it
// springs back to the centre when let go; the arrow keys push it to the edge while held.
#pragma once

#include <QWidget>

class TJogField : public QWidget {
  Q_OBJECT

 public:
  explicit TJogField(QWidget* parent = nullptr);

  // The deflection as a stick's normalised axes: 0..2 with 1 in the centre; axisX grows to
  // the right, axisY grows as the knob is pushed up (forward).
  double axisX() const { return 1 + dx_; }
  double axisY() const { return 1 - dy_; }
  bool Centred() const { return dx_ == 0 && dy_ == 0; }
  // Puts the knob at the given axes (clamped to the field); (1, 1) centres it.
  void SetAxes(double axisX, double axisY);
  // Lets go of a drag or held keys: the knob springs back as if released.
  void Release();

  QSize sizeHint() const override { return {120, 120}; }
  // The knob's centre for the current deflection, in widget coordinates.
  QPointF KnobCentre() const;

 Q_SIGNALS:
  void Moved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QRectF Travel() const;
  void SetDeflection(double dx, double dy);
  void DragTo(const QPointF& point);

  // -1..1 each; dy grows downwards as on the screen.
  double dx_ = 0;
  double dy_ = 0;
  bool dragging_ = false;
};
