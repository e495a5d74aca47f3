#include "timed_path.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t Clamp(int32_t value, const ServoLimits& l) {
  return std::min(std::max(value, l.min), l.max);
}

// Stretching one stretch changes the speeds of its neighbours' blends; after this many rounds
// every stretch is scaled alike, which always ends it.
constexpr int kLocalRounds = 50;
constexpr double kSlack = 1.0001;

}  // namespace

TimedPath::TimedPath(const Pose& start, std::span<const TimedSample> samples,
                     const MotionLimits& limits, int tickMs)
    : tickMs_(std::max(tickMs, 1)) {
  Pose point{};
  for (int s = 1; s <= kServoCount; ++s) {
    point[s] = Clamp(start[s], limits[s]);
    min_[s] = limits[s].min;
    max_[s] = std::max(limits[s].min, limits[s].max);
  }
  points_.push_back(point);
  times_.push_back(0);
  for (const TimedSample& sample : samples) {
    for (int s = 1; s <= kServoCount; ++s) point[s] = Clamp(sample.pose[s], limits[s]);
    points_.push_back(point);
    // A sample taken no time after the one before still needs a tick to get there.
    times_.push_back(times_.back() + static_cast<double>(std::max<int64_t>(sample.ms, 1)));
  }
  target_ = points_.back();
  if (samples.empty()) return;
  Stretch(limits);

  double lead = 0;
  double tail = 0;
  for (int s = 1; s <= kServoCount; ++s) {
    lead = std::max(lead, blend_.front()[s] / 2);
    tail = std::max(tail, blend_.back()[s] / 2);
  }
  leadMs_ = lead;
  ticks_ = std::max(1, static_cast<int>(std::ceil((lead + times_.back() + tail) / tickMs_ - 1e-9)));
}

double TimedPath::Speed(int servo, size_t stretch) const {
  if (stretch == 0 || stretch >= points_.size()) return 0;  // at rest before and after
  return (points_[stretch][servo] - points_[stretch - 1][servo]) /
         (times_[stretch] - times_[stretch - 1]);
}

void TimedPath::Blends(const MotionLimits& limits) {
  blend_.assign(points_.size(), {});
  for (size_t j = 0; j < points_.size(); ++j) {
    for (int s = 1; s <= kServoCount; ++s) {
      const double accel = std::max(limits[s].accel, 0) / 1e6;  // positions per ms^2
      if (accel > 0) blend_[j][s] = std::abs(Speed(s, j + 1) - Speed(s, j)) / accel;
    }
  }
}

void TimedPath::Stretch(const MotionLimits& limits) {
  std::vector<double> length(points_.size(), 0);
  for (size_t k = 1; k < points_.size(); ++k) length[k] = times_[k] - times_[k - 1];
  for (int round = 0;; ++round) {
    Blends(limits);
    // The factor each stretch needs: speed scales with 1 / factor, a blend's share of its
    // stretch with 1 / factor^2.
    std::vector<double> factor(points_.size(), 1);
    double most = 1;
    for (size_t k = 1; k < points_.size(); ++k) {
      for (int s = 1; s <= kServoCount; ++s) {
        const double limit = std::max(limits[s].speed, 0) / 1000.0;  // positions per ms
        if (limit > 0) factor[k] = std::max(factor[k], std::abs(Speed(s, k)) / limit);
        const double need = (blend_[k - 1][s] + blend_[k][s]) / 2;
        factor[k] = std::max(factor[k], std::sqrt(need / length[k]));
      }
      most = std::max(most, factor[k]);
    }
    if (most <= 1 + 1e-9) return;
    for (size_t k = 1; k < points_.size(); ++k) {
      const double f = round < kLocalRounds ? factor[k] : most;
      if (f > 1 + 1e-9 || round >= kLocalRounds) length[k] *= f * kSlack;
      times_[k] = times_[k - 1] + length[k];
    }
  }
}

double TimedPath::PositionAt(int servo, double ms) const {
  const size_t last = points_.size() - 1;
  // The first point passed at or after `ms`; the blend around it or the one before may hold it.
  const size_t next =
      static_cast<size_t>(std::lower_bound(times_.begin(), times_.end(), ms) - times_.begin());
  for (size_t j : {next == 0 ? size_t{0} : next - 1, std::min(next, last)}) {
    const double b = blend_[j][servo];
    const double tau = ms - times_[j];
    if (b > 0 && std::abs(tau) <= b / 2) {
      const double before = Speed(servo, j);
      const double after = Speed(servo, j + 1);
      const double into = tau + b / 2;
      return points_[j][servo] + before * tau + (after - before) * into * into / (2 * b);
    }
  }
  if (next == 0) return points_.front()[servo];
  if (next > last) return points_.back()[servo];
  return points_[next - 1][servo] + Speed(servo, next) * (ms - times_[next - 1]);
}

Pose TimedPath::poseAt(int tick) const {
  if (tick >= ticks_) return target_;
  const double ms = static_cast<double>(tick) * tickMs_ - leadMs_;
  Pose pose{};
  for (int s = 1; s <= kServoCount; ++s) {
    const auto at = static_cast<int32_t>(std::lround(PositionAt(s, ms)));
    pose[s] = std::clamp(at, min_[s], max_[s]);
  }
  return pose;
}

int TimedPath::sampleAt(int tick) const {
  const double ms = static_cast<double>(tick) * tickMs_ - leadMs_;
  const auto next = std::lower_bound(times_.begin(), times_.end(), ms) - times_.begin();
  const int samples = static_cast<int>(points_.size()) - 1;
  return std::clamp(static_cast<int>(next) - 1, 0, std::max(samples - 1, 0));
}
