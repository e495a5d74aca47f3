// Draws a timeline model: each servo's position over the playing time, pauses shaded, the
// table plane crossings marked, and a cursor where playback stands.
#pragma once

#include <QWidget>
#include <functional>

#include "timeline_model.h"

class TTimelineView : public QWidget {
  Q_OBJECT

 public:
  explicit TTimelineView(QWidget* parent = nullptr);

  void SetModel(TimelineModel model);
  const TimelineModel& model() const { return model_; }
  // Where playback stands, in ms from the start; below 0 hides the cursor.
  void SetCursorMs(int64_t ms);
  int64_t cursorMs() const { return cursorMs_; }

  // The pixel of a point of the model in the widget.
  QPointF PointAt(int64_t ms, double position) const;

  // A point was clicked: the command it belongs to (0-based).
  std::function<void(int command)> onCommandClicked;

  QSize sizeHint() const override { return {560, 280}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QRectF Plot() const;
  double MsPerPixel() const;

  TimelineModel model_;
  int64_t cursorMs_ = -1;
};
