// Keeps the arm view in step with the virtual controller. Between events a frame's arrival
// queues one refresh of the view; during the main thread's waits (playback sleeps) the view
// is redrawn as frames arrive, with nothing else let run.
#pragma once

#include <QPointer>
#include <cstdint>

#include "arm_view.h"
#include "schedule_clock.h"
#include "servo_state.h"
#include "unMoveLibrary.h"

class TArmViewLink : public ScheduleClock {
 public:
  TArmViewLink() = default;
  ~TArmViewLink() override;
  TArmViewLink(const TArmViewLink&) = delete;
  TArmViewLink& operator=(const TArmViewLink&) = delete;

  // Shows the view (made on first use, a tool window beside `owner`) with the controller
  // answering `addresses`, or hides it when `on` is false.
  void Follow(bool on, QWidget* owner, const ServoTables& tables, const ArmGeometry& arm);
  TArmView* view() const { return view_; }

  // The controller's state into the view.
  void Refresh();
  // The steady clock, whose sleeps on the main thread repaint a visible view whenever frames
  // arrive meanwhile. Without a visible view they are plain sleeps.
  TimePoint Now() override { return SteadyScheduleClock().Now(); }
  void SleepUntil(TimePoint when) override;

 private:
  QPointer<TArmView> view_;
  uint64_t shown_ = 0;  // frames and broken frames the view has drawn
};
