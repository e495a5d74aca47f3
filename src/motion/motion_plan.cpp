#include "motion_plan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t Clamp(int32_t value, const ServoLimits& l) {
  if (l.min > value) value = l.min;
  if (l.max < value) value = l.max;
  return value;
}

// Whole ticks are compared after floating-point sums; a hair over a whole number is that
// number, not one tick more.
constexpr double kTickSlack = 1e-9;

// The least time, in ticks, a servo needs for `distance` positions; speed in positions per
// tick and accel in positions per tick^2, 0 for no limit.
double LeastTicks(double distance, double speed, double accel) {
  if (distance <= 0) return 0;
  if (accel > 0) {
    // Cruising at the speed limit only pays once the ramps up and down fit in the distance.
    if (speed > 0 && distance >= speed * speed / accel) return distance / speed + speed / accel;
    return 2 * std::sqrt(distance / accel);
  }
  if (speed > 0) return 1.5 * distance / speed;  // the ease curve's top speed is 1.5x its mean
  return 0;
}

}  // namespace

MotionPlan::MotionPlan(const Pose& start, const Pose& target, const MotionLimits& limits,
                       int tickMs, int64_t requestedMs, double pace)
    : tickMs_(std::max(tickMs, 1)) {
  const double tickSeconds = tickMs_ / 1000.0 * (pace > 0 ? pace : 1);
  double least = std::max<double>(0, static_cast<double>(requestedMs) / tickMs_);
  // The schedule's ticks stay tickMs apart; only the limits see the pace.
  bool moves = false;
  for (int s = 1; s <= kServoCount; ++s) {
    const ServoLimits& l = limits[s];
    start_[s] = Clamp(start[s], l);
    target_[s] = Clamp(target[s], l);
    Profile& p = profile_[s];
    const int64_t delta = int64_t{target_[s]} - start_[s];
    if (delta == 0) continue;
    moves = true;
    p.sign = delta > 0 ? 1 : -1;
    p.distance = static_cast<double>(delta > 0 ? delta : -delta);
    p.trapezoid = l.accel > 0;
    p.accel = std::max(l.accel, 0) * tickSeconds * tickSeconds;
    least = std::max(least, LeastTicks(p.distance, std::max(l.speed, 0) * tickSeconds, p.accel));
  }
  ticks_ = static_cast<int>(std::ceil(least - kTickSlack));
  if (moves) ticks_ = std::max(ticks_, 1);

  // Each trapezoid is stretched over the whole move: the cruise speed c that covers the
  // distance d in n ticks with ramps c/a solves c^2/a - c n + d = 0. The smaller root,
  // written without cancellation, is 2d / (n + sqrt(n^2 - 4d/a)). n is at least the servo's
  // least time, so the root is real and c stays within the speed limit.
  const double n = ticks_;
  for (int s = 1; s <= kServoCount; ++s) {
    Profile& p = profile_[s];
    if (!p.trapezoid || p.sign == 0) continue;
    const double root = std::sqrt(std::max(0.0, n * n - 4 * p.distance / p.accel));
    p.cruise = 2 * p.distance / (n + root);
    p.ramp = std::min(p.cruise / p.accel, n / 2);
  }
}

MotionPlan MotionPlan::Hold(const Pose& pose, int tickMs, int64_t durationMs) {
  MotionLimits open{};
  for (int s = 1; s <= kServoCount; ++s) {
    open[s] = {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 0, 0};
  }
  return MotionPlan(pose, pose, open, tickMs, durationMs);
}

double MotionPlan::Covered(const Profile& p, double t) const {
  const double n = ticks_;
  if (!p.trapezoid) {
    const double u = t / n;
    return p.distance * u * u * (3 - 2 * u);
  }
  if (t < p.ramp) return 0.5 * p.accel * t * t;
  if (t <= n - p.ramp) return 0.5 * p.accel * p.ramp * p.ramp + p.cruise * (t - p.ramp);
  const double left = n - t;
  return p.distance - 0.5 * p.accel * left * left;
}

int32_t MotionPlan::positionAt(int servo, int tick) const {
  if (tick >= ticks_) return target_[servo];
  if (tick <= 0) return start_[servo];
  const Profile& p = profile_[servo];
  if (p.sign == 0) return start_[servo];
  // Never past the target, whatever the rounding of the curve.
  const double covered = std::clamp(Covered(p, tick), 0.0, p.distance);
  return start_[servo] + p.sign * static_cast<int32_t>(std::lround(covered));
}

Pose MotionPlan::poseAt(int tick) const {
  Pose pose{};
  for (int s = 1; s <= kServoCount; ++s) pose[s] = positionAt(s, tick);
  return pose;
}
