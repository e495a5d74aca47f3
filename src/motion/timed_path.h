// A path through timed samples, as teaching writes them: the arm passes each sample at about
// its time without stopping there, starting and ending at rest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "motion_plan.h"

// One sample: the pose the arm had `ms` after the sample before.
struct TimedSample {
  Pose pose{};
  int64_t ms = 0;
};

// Each servo runs the straight line between two samples at that stretch's mean speed; where the
// speed changes (at a sample, and at rest before the first and after the last) it changes
// evenly within the acceleration limit, over a blend centred on the sample, so the path leaves
// the straight lines only inside the blends. A stretch whose speed breaks a servo's speed limit,
// or whose blends do not fit in it, takes longer: every servo together, so the samples stay
// poses of the whole arm. The path starts half the first blend before the first stretch and
// ends half the last blend after the last one; with no acceleration limit it is the straight
// lines alone.
class TimedPath {
 public:
  TimedPath(const Pose& start, std::span<const TimedSample> samples, const MotionLimits& limits,
            int tickMs);

  int ticks() const { return ticks_; }
  int tickMs() const { return tickMs_; }
  int64_t durationMs() const { return int64_t{ticks_} * tickMs_; }
  const Pose& target() const { return target_; }
  // The pose at `tick`: the start before 0, the last sample from ticks() on.
  Pose poseAt(int tick) const;
  // The sample (0-based) the arm is on its way to at `tick`.
  int sampleAt(int tick) const;

 private:
  // The speed of `servo` over stretch `stretch` (from point stretch-1 to stretch), in positions
  // per ms; 0 before the first point and after the last.
  double Speed(int servo, size_t stretch) const;
  // Where `servo` is at `ms` on the path's own time (0: the start pose's time).
  double PositionAt(int servo, double ms) const;
  void Stretch(const MotionLimits& limits);
  // The blend of every servo at every sample (0: the start), for the current stretch times.
  void Blends(const MotionLimits& limits);

  std::vector<Pose> points_;   // the start pose, then each sample's, clamped
  std::vector<double> times_;  // when each point is passed, in ms, the start at 0
  std::vector<std::array<double, kServoCount + 1>> blend_;  // ms, per point and servo
  Pose target_{};
  Pose min_{};
  Pose max_{};
  double leadMs_ = 0;  // the path begins this long before the start point's time
  int ticks_ = 0;
  int tickMs_ = 1;
};
