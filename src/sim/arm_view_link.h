// Keeps the arm view in step with the virtual controller. Between events a frame's arrival
// queues one refresh of the view; during the main thread's waits (playback sleeps) the view
// is redrawn as frames arrive, with nothing else let run.
#pragma once

#include <QPointer>
#include <cstdint>

#include "arm_view.h"
#include "servo_state.h"
#include "unMoveLibrary.h"

class TArmViewLink {
 public:
  TArmViewLink() = default;
  ~TArmViewLink();
  TArmViewLink(const TArmViewLink&) = delete;
  TArmViewLink& operator=(const TArmViewLink&) = delete;

  // Shows the view (made on first use, a tool window beside `owner`) with the controller
  // answering `addresses`, or hides it when `on` is false.
  void Follow(bool on, QWidget* owner, const ServoTables& tables, const ArmGeometry& arm);
  TArmView* view() const { return view_; }

  // The controller's state into the view.
  void Refresh();
  // Sleeps `milliseconds` on the main thread; a visible view is repainted whenever frames
  // arrive meanwhile. Without a visible view it is a plain sleep.
  void Sleep(int64_t milliseconds);

 private:
  QPointer<TArmView> view_;
  uint64_t shown_ = 0;  // frames and broken frames the view has drawn
};
