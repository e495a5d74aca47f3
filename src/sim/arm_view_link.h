// Keeps the arm view in step with the arm. On the virtual controller it draws what the
// controller received: between events a frame's arrival queues one refresh of the view; during
// the main thread's waits (playback sleeps) the view is redrawn as frames arrive, with nothing
// else let run. On any other port it draws the pose the program sent, redrawn with each write.
#pragma once

#include <QPointer>
#include <array>
#include <cstdint>
#include <optional>

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

  // The port is the virtual controller (answering the tables' addresses), or another one. On
  // the virtual controller the view shows at once (made on first use, a tool window beside
  // `owner`); elsewhere it is left as it is, shown or hidden.
  void Follow(bool virtualPort, QWidget* owner, const ServoTables& tables, const ArmGeometry& arm);
  // Shows the view, or hides it when it is shown.
  void Toggle(QWidget* owner);
  TArmView* view() const { return view_; }

  // The positions[1..6] the arm was last sent; a visible view of a real port redraws now.
  void SetSent(const int32_t positions[7]);
  // The positions[1..6] the board reports, drawn beside those sent; none when it reports none.
  void SetMeasured(const std::optional<std::array<int32_t, kServoCount + 1>>& positions);
  // The controller's or the sent state into the view.
  void Refresh();
  // The steady clock, whose sleeps on the main thread repaint a visible view of the virtual
  // controller whenever frames arrive meanwhile. Otherwise they are plain sleeps.
  TimePoint Now() override { return SteadyScheduleClock().Now(); }
  void SleepUntil(TimePoint when) override;

 private:
  void MakeView(QWidget* owner);

  QPointer<TArmView> view_;
  bool virtual_ = false;
  ArmGeometry arm_{};
  std::array<int32_t, kServoCount + 1> sent_{0, 127, 127, 127, 127, 127, 127};
  std::optional<std::array<int32_t, kServoCount + 1>> measured_;
  uint64_t shown_ = 0;  // frames and broken frames the view has drawn
};
