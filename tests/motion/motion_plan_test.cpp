#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "motion_plan.h"
#include "timed_path.h"

namespace {

MotionLimits Free() {
  MotionLimits limits{};
  for (int s = 1; s <= kServoCount; ++s) limits[s] = {0, 254, 0, 0};
  return limits;
}

Pose Uniform(int32_t position) {
  Pose pose{};
  for (int s = 1; s <= kServoCount; ++s) pose[s] = position;
  return pose;
}

struct DurationCase {
  const char* what;
  int32_t distance1, speed1, accel1;
  int32_t distance2, speed2, accel2;
  int tickMs;
  int64_t requestedMs;
  int ticks;
};

TEST(MotionPlan, TheSlowestServoOrTheRequestSetsTheTime) {
  const DurationCase cases[] = {
      {"ease under a speed limit: 1.5 x 100 / 100 s", 100, 100, 0, 0, 0, 0, 20, 0, 75},
      {"trapezoid: 100/100 + 100/1000 s", 100, 100, 1000, 0, 0, 0, 20, 0, 55},
      {"triangle: 2 sqrt(100 / 100) s", 100, 0, 100, 0, 0, 0, 20, 0, 100},
      {"triangle short of the speed limit", 4, 100, 1000, 0, 0, 0, 20, 0, 7},
      {"the slower of two servos: 2 sqrt(50 / 25) s", 100, 100, 0, -50, 0, 25, 20, 0, 142},
      {"a request longer than the limits need", 100, 100, 0, 0, 0, 0, 20, 2000, 100},
      {"a request shorter than the limits need", 100, 100, 0, 0, 0, 0, 20, 500, 75},
      {"a request between ticks rounds up", 10, 0, 0, 0, 0, 0, 20, 150, 8},
      {"no limit, no request: one tick", 150, 0, 0, 0, 0, 0, 20, 0, 1},
      {"nothing to do takes no tick", 0, 100, 100, 0, 0, 0, 20, 0, 0},
      {"a pause: nothing to do for 500 ms", 0, 0, 0, 0, 0, 0, 50, 500, 10},
      {"a tick of 0 ms counts as 1 ms", 100, 1000, 0, 0, 0, 0, 0, 0, 150},
  };
  for (const DurationCase& c : cases) {
    MotionLimits limits = Free();
    limits[1].speed = c.speed1;
    limits[1].accel = c.accel1;
    limits[2].speed = c.speed2;
    limits[2].accel = c.accel2;
    Pose target = Uniform(100);
    target[1] += c.distance1;
    target[2] += c.distance2;
    const MotionPlan plan(Uniform(100), target, limits, c.tickMs, c.requestedMs);
    EXPECT_EQ(plan.ticks(), c.ticks) << c.what;
    EXPECT_EQ(plan.poseAt(plan.ticks()), target) << c.what;
  }
}

TEST(MotionPlan, StartAndTargetArePulledIntoTheLimits) {
  MotionLimits limits = Free();
  limits[1] = {150, 200, 0, 0};  // the start lies below
  limits[2] = {0, 90, 0, 0};     // the target lies above
  limits[3] = {200, 100, 0, 0};  // a minimum above the maximum sits at the maximum
  Pose target = Uniform(127);
  target[2] = 250;
  const MotionPlan plan(Uniform(127), target, limits, 20);
  EXPECT_EQ(plan.start()[1], 150);
  EXPECT_EQ(plan.target()[2], 90);
  EXPECT_EQ(plan.start()[3], 100);
  EXPECT_EQ(plan.target()[3], 100);
  EXPECT_EQ(plan.positionAt(1, -5), 150);
  EXPECT_EQ(plan.positionAt(2, plan.ticks() + 5), 90);
}

// Random poses and limits: every servo keeps to its limits, starts at its start, is halfway
// at half time and exactly on target at the last tick, never turns back, and its steps and
// their changes (from rest and back to rest) stay within speed x tick and accel x tick^2,
// give or take the rounding to whole steps.
TEST(MotionPlan, RandomMovesKeepEveryLimitAndArriveTogether) {
  std::mt19937 random(31);
  auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  for (int round = 0; round < 3000; ++round) {
    MotionLimits limits{};
    Pose start{}, target{};
    for (int s = 1; s <= kServoCount; ++s) {
      const int lo = any(0, 120);
      limits[s] = {lo, any(lo, 254), any(0, 3) ? any(1, 600) : 0, any(0, 2) ? any(1, 3000) : 0};
      start[s] = any(0, 254);
      target[s] = any(0, 254);
    }
    const int tickMs = any(1, 60);
    const MotionPlan plan(start, target, limits, tickMs, any(0, 1) ? any(0, 3000) : 0);
    const int n = plan.ticks();
    const double tick = tickMs / 1000.0;
    for (int s = 1; s <= kServoCount; ++s) {
      const ServoLimits& l = limits[s];
      const int32_t from = plan.start()[s], to = plan.target()[s];
      SCOPED_TRACE("round " + std::to_string(round) + ", servo " + std::to_string(s));
      ASSERT_EQ(from, std::clamp(start[s], l.min, l.max));
      ASSERT_EQ(to, std::clamp(target[s], l.min, l.max));
      ASSERT_EQ(plan.positionAt(s, 0), from);
      ASSERT_EQ(plan.positionAt(s, n), to);
      if (from != to && n % 2 == 0) {
        ASSERT_LE(std::abs(2 * (plan.positionAt(s, n / 2) - from) - (to - from)), 1);
      }
      int32_t lastStep = 0;
      for (int k = 1; k <= n + 1; ++k) {
        const int32_t p = plan.positionAt(s, k);
        const int32_t step = p - plan.positionAt(s, k - 1);
        ASSERT_GE(p, l.min);
        ASSERT_LE(p, l.max);
        ASSERT_GE(step * (to - from), 0) << "turned back at tick " << k;
        if (l.speed > 0) {
          ASSERT_LE(std::abs(step), l.speed * tick + 1) << "tick " << k;
        }
        if (l.accel > 0) {
          ASSERT_LE(std::abs(step - lastStep), l.accel * tick * tick + 2) << "tick " << k;
        }
        lastStep = step;
      }
    }
  }
}

// Every servo alike from 100 through samples (position, ms after the one before) under its
// limits: the path's ticks of 20 ms and where the servos are at some of them.
struct PathCase {
  const char* what;
  int32_t speed, accel;
  std::vector<std::pair<int32_t, int64_t>> samples;
  int ticks;
  std::vector<std::pair<int, int32_t>> at;  // tick, position
};

TEST(TimedPath, PassesEachSampleAtItsTimeUnlessTheLimitsStretchIt) {
  // clang-format off
  const PathCase cases[] = {
      {"no limit: the straight lines alone", 0, 0, {{120, 100}, {140, 200}, {140, 100}}, 20,
       {{0, 100}, {5, 120}, {10, 130}, {15, 140}, {20, 140}}},
      {"a sample taken no time after the start still takes a tick", 0, 0, {{150, 0}}, 1,
       {{0, 100}, {1, 150}}},
      {"too fast for the speed limit: the stretch takes longer", 100, 0, {{200, 500}}, 51,
       {{0, 100}, {25, 150}, {51, 200}}},
      {"only the stretch too fast takes longer", 100, 0, {{175, 500}, {200, 500}}, 63,
       {{0, 100}, {25, 150}, {63, 200}}},
      {"at rest half a blend before the first sample and after the last", 0, 1000, {{200, 1000}},
       55, {{0, 100}, {1, 100}, {3, 102}, {28, 151}, {54, 200}, {55, 200}}},
      {"too short for its blends: at least 2 sqrt(100 / 1000) s", 0, 1000, {{200, 100}}, 32,
       {{0, 100}, {32, 200}}},
  };
  // clang-format on
  for (const PathCase& c : cases) {
    MotionLimits limits = Free();
    for (int s = 1; s <= kServoCount; ++s) {
      limits[s].speed = c.speed;
      limits[s].accel = c.accel;
    }
    std::vector<TimedSample> samples;
    for (const auto& [position, ms] : c.samples) samples.push_back({Uniform(position), ms});
    const TimedPath path(Uniform(100), samples, limits, 20);
    EXPECT_EQ(path.ticks(), c.ticks) << c.what;
    EXPECT_EQ(path.sampleAt(path.ticks()), static_cast<int>(c.samples.size()) - 1) << c.what;
    for (const auto& [tick, position] : c.at) {
      EXPECT_EQ(path.poseAt(tick), Uniform(position)) << c.what << ", tick " << tick;
    }
  }
}

// A taught path takes longer where a servo's limits ask for it, and keeps to them tick by tick:
// servo 1 out 100 and back in 0.5 s each (twice its speed limit), servo 2 steady and slow.
TEST(TimedPath, StretchesWhatTheLimitsCannotMakeAndKeepsToThem) {
  MotionLimits limits = Free();
  limits[1] = limits[2] = {0, 254, 100, 1000};
  std::vector<TimedSample> samples;
  for (int k = 1; k <= 10; ++k) {
    Pose pose = Uniform(0);
    pose[1] = k <= 5 ? 20 * k : 200 - 20 * k;
    pose[2] = 5 * k;
    samples.push_back({pose, 100});
  }
  const TimedPath path(Uniform(0), samples, limits, 20);
  EXPECT_GE(path.durationMs(), 2000);  // 200 positions at 100 a second
  EXPECT_LE(path.durationMs(), 2300);
  EXPECT_EQ(path.poseAt(path.ticks()), samples.back().pose);
  int32_t lastStep = 0;  // servo 1's; at most 2 a tick and changing by 0.4, but for rounding
  for (int k = 1; k <= path.ticks(); ++k) {
    const int32_t step = path.poseAt(k)[1] - path.poseAt(k - 1)[1];
    ASSERT_LE(std::abs(step), 3) << k;
    ASSERT_LE(std::abs(step - lastStep), 2) << k;
    lastStep = step;
  }
}

}  // namespace
