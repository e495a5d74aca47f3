// Coordinated moves: where each of the six servos stands at every control tick of a move, so
// that all of them start together, arrive together and keep to their speed and acceleration
// limits on the way.
#pragma once

#include <array>
#include <cstdint>

#include "servo_state.h"

// A position for each servo 1..6; slot 0 belongs to no servo.
using Pose = std::array<int32_t, kServoCount + 1>;

struct ServoLimits {
  int32_t min = 0;
  int32_t max = 254;
  int32_t speed = 0;  // positions per second; 0: no limit
  int32_t accel = 0;  // positions per second per second; 0: no limit
};
using MotionLimits = std::array<ServoLimits, kServoCount + 1>;

// A move from one pose to another on a grid of ticks. Tick 0 is the start pose, tick ticks()
// the target; a caller sends poseAt(1) one tick after the move begins, and so on.
//
// The move takes the longest time any servo's limits need, or `requestedMs` when that is
// longer, rounded up to whole ticks. A servo with an acceleration limit follows a trapezoid
// (or a triangle when it never reaches its cruise speed); one without follows a smooth
// ease-in/ease-out curve whose top speed is 1.5 times its mean speed, so a speed limit alone
// needs 1.5 x distance / speed. When no limit applies and no time is asked for, a move that
// changes anything takes one tick: the target goes out at once, as in classic playback. A
// move that changes nothing and asks for no time takes no tick.
//
// Start and target are first pulled into the servo's min..max (the minimum first, so a servo
// whose minimum exceeds its maximum sits at the maximum); every position in between is a
// whole step between the two, and the last tick is exactly the target.
class MotionPlan {
 public:
  MotionPlan() = default;
  // A tick interval below 1 ms counts as 1 ms. At `pace` (the play speed, 1 for 100 %) the
  // speeds are multiplied by it and the accelerations by its square, fractions kept.
  MotionPlan(const Pose& start, const Pose& target, const MotionLimits& limits, int tickMs,
             int64_t requestedMs = 0, double pace = 1);

  // Standing still at `pose` for `durationMs`, rounded up to whole ticks: a pause on the
  // grid. Nothing is clamped, so nothing moves.
  static MotionPlan Hold(const Pose& pose, int tickMs, int64_t durationMs);

  int ticks() const { return ticks_; }
  int tickMs() const { return tickMs_; }
  int64_t durationMs() const { return int64_t{ticks_} * tickMs_; }
  const Pose& start() const { return start_; }
  const Pose& target() const { return target_; }

  // The position of `servo` (1..6) at `tick`; before 0 the start, from ticks() on the target.
  int32_t positionAt(int servo, int tick) const;
  Pose poseAt(int tick) const;

 private:
  // One servo's path as distance covered from its start, in positions, over time in ticks.
  struct Profile {
    double distance = 0;  // >= 0; the direction is in `sign`
    int sign = 0;         // 0: the servo does not move
    bool trapezoid = false;
    double accel = 0;   // positions per tick^2 (trapezoid)
    double cruise = 0;  // positions per tick (trapezoid)
    double ramp = 0;    // ticks spent accelerating, and again braking (trapezoid)
  };
  double Covered(const Profile& p, double t) const;

  Pose start_{};
  Pose target_{};
  std::array<Profile, kServoCount + 1> profile_{};
  int ticks_ = 0;
  int tickMs_ = 1;
};
