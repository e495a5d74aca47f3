// A window that draws the arm from six positions (those the virtual servo controller holds, or
// those sent to a real arm): a side view of shoulder, elbow, wrist and hand, a top view of the
// base turn, the tool point's coordinates and the six positions. A second pose, as measured by
// a controller that reports its servos, is drawn thin over the first when there is one.
#pragma once

#include <QRectF>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "arm_pose.h"
#include "workspace.h"

class TArmView : public QWidget {
  Q_OBJECT

 public:
  explicit TArmView(QWidget* parent = nullptr);

  void SetLinks(double H, double L1, double L2, double L3);
  // positions[1..6]; the counts of good and bad frames the controller has seen.
  void SetServos(const int32_t positions[7], uint64_t frames, uint64_t badFrames);
  // positions[1..6] sent to an arm that counts no frames.
  void SetServos(const int32_t positions[7]);
  // The virtual controller's view counts frames and says so in its title.
  void SetVirtual(bool on);
  // positions[1..6] the controller reports, or none.
  void SetMeasured(const std::optional<std::array<int32_t, 7>>& positions);
  bool measuredShown() const { return measured_.has_value(); }
  const std::optional<std::array<int32_t, 7>>& measured() const { return measured_; }

  int32_t position(int servo) const { return positions_[servo]; }
  uint64_t frames() const { return frames_; }
  uint64_t badFrames() const { return badFrames_; }
  // The height of the table plane, drawn as a line in the side view.
  void SetTable(double minToolY);
  // The pose a Move to a typed point would take, drawn as an outline over the arm: red with
  // the reason beside it when the Move would be refused. Servos 5 and 6 are not drawn.
  void SetPreview(const MovePlan& plan);
  void ClearPreview();
  bool previewShown() const { return preview_.has_value(); }
  const QString& previewReason() const { return previewReason_; }
  bool previewRefused() const { return preview_ && !preview_->accepted(); }

  // Where the tool point is for the positions held, in cm.
  ToolPoint toolPoint() const;
  // How often the view has been painted.
  uint64_t paints() const { return paints_; }

  // The side view and where a point of the arm's plane lands in it: the scale makes the
  // whole reach of the arm, up, down, forward and back, fill the view.
  QRectF sideView() const;
  QPointF SidePoint(double reach, double height) const;
  // Where a joint a hand can take is drawn: the end of the link servo 1, 2 or 4 turns in the
  // side view, the arm's end in the top view for servo 3; for `positions`.
  QPointF HandlePoint(int servo, const int32_t positions[7]) const;

 Q_SIGNALS:
  // A joint dragged as a hand would turn it: servo 1..4 to `position`.
  void handMoved(int servo, int32_t position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  double Reach() const { return l1_ + l2_ + l3_; }
  void DrawArm(QPainter& p, const int32_t positions[7], bool measured);
  void DrawPreview(QPainter& p);
  // The lines under the figures, each wrapped to the width, from `top` down; the window is as
  // tall as they need.
  QStringList Texts() const;
  int DrawTexts(QPainter* p, int top) const;
  void FitHeight();

  int32_t positions_[7] = {0, 127, 127, 127, 127, 127, 127};
  std::optional<std::array<int32_t, 7>> measured_;
  bool virtual_ = true;
  uint64_t frames_ = 0;
  uint64_t badFrames_ = 0;
  uint64_t paints_ = 0;
  double h_ = 0, l1_ = 0, l2_ = 0, l3_ = 0;
  double table_ = 0;
  int dragged_ = 0;  // the servo a drag turns, 0 when none
  std::optional<MovePlan> preview_;
  QString previewReason_;
};
