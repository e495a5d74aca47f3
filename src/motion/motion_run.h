// A smooth move played tick by tick on the arm: each tick at its due time the planned pose
// is taken over, the servos that changed are sent as far as the line's budget allows, and the
// window gets its turn.
#pragma once

#include <functional>

#include "line_budget.h"
#include "motion_plan.h"
#include "schedule_clock.h"
#include "schedule_timeline.h"
#include "servo_state.h"
#include "unSerialLink.h"

// What a move needs from whoever owns the arm (the window, a command line run).
class MotionHost {
 public:
  virtual ~MotionHost() = default;
  virtual ServoState& servoState() = 0;
  virtual const ServoTables& servoTables() const = 0;
  virtual void UpdateGauges() = 0;
  // The one path to the line: one write, then the pause after it.
  virtual void SendFrames(const ByteString& frames) = 0;
  // Lets the window handle what is pending (clicks, keys) without blocking.
  virtual void PumpEvents() = 0;
  virtual ScheduleClock& Clock() = 0;
};

// Plays `plan` from its start: tick k waits until one tick after tick k-1 was due on
// `timeline`, then sets the positions to poseAt(k), sends the frames `line` picks, updates
// the gauges and pumps the host's events. While `line` left servos behind, ticks go on after
// the last one to serve them (at most one more with six servos and four frames a tick).
// `halted` is asked after every tick: once it answers true nothing more is sent, the
// positions are those last sent, and RunMotion returns false. A plan of no tick returns at
// once; a plan that changes nothing (a pause) still waits its ticks, pumping and asking.
bool RunMotion(const MotionPlan& plan, MotionHost& host, Timeline& timeline, LineBudget& line,
               const std::function<bool()>& halted);
