// A window that draws the virtual arm from the positions the virtual servo controller holds:
// a side view of shoulder, elbow, wrist and hand, and a top view of the base turn.
#pragma once

#include <QWidget>
#include <cstdint>

class TArmView : public QWidget {
  Q_OBJECT

 public:
  explicit TArmView(QWidget* parent = nullptr);

  void SetLinks(double H, double L1, double L2, double L3);
  // positions[1..6]; the counts of good and bad frames the controller has seen.
  void SetServos(const int32_t positions[7], uint64_t frames, uint64_t badFrames);

  int32_t position(int servo) const { return positions_[servo]; }
  uint64_t frames() const { return frames_; }
  uint64_t badFrames() const { return badFrames_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int32_t positions_[7] = {0, 127, 127, 127, 127, 127, 127};
  uint64_t frames_ = 0;
  uint64_t badFrames_ = 0;
  double h_ = 0, l1_ = 0, l2_ = 0, l3_ = 0;
};
