#include <gtest/gtest.h>

#include <numeric>

#include "fake_arm.h"
#include "playback.h"
#include "playing_time.h"
#include "timeline_model.h"

namespace {

struct Arm {
  Arm() { start.fill(127); }
  Pose start{};
  GateSettings settings = TestGateSettings(false);
  ServoTables& tables = settings.workspace.tables;
  MotionConfig& motion = settings.motion;
};

TRoboPath Script(std::initializer_list<TServoCommand> commands) {
  TRoboPath script;
  for (const TServoCommand& c : commands) RecordCommand(script, c.letter, c.servoId, c.value);
  return script;
}

TEST(TimelineModel, ClassicPointsPausesAndTimesFollowPlaybacksWaits) {
  Arm arm;
  arm.tables.Maxval[2] = 200;
  const TRoboPath script = Script({{'M', 1, 137}, {'P', 0, 1}, {'M', 2, 250}, {'x', 1, 5}});
  const TimelineModel model = BuildTimelineModel(script, arm.start, arm.settings);

  const std::vector<int64_t> waits = CommandWaits(script, arm.start, arm.settings);
  std::vector<int64_t> starts(waits.size(), 0);
  std::partial_sum(waits.begin(), waits.end() - 1, starts.begin() + 1);
  EXPECT_EQ(model.commandStartMs, starts);
  EXPECT_EQ(model.totalMs, std::accumulate(waits.begin(), waits.end(), int64_t{0}));
  // Sent at the start of its command; servo 2 stops at its limit.
  EXPECT_EQ(model.servo[1], (std::vector<TimelinePoint>{{0, 127, -1}, {0, 137, 0}}));
  EXPECT_EQ(model.servo[2], (std::vector<TimelinePoint>{{0, 127, -1}, {starts[2], 200, 2}}));
  EXPECT_EQ(model.servo[3], (std::vector<TimelinePoint>{{0, 127, -1}}));
  EXPECT_EQ(model.pauses, (std::vector<TimelineSpan>{{starts[1], starts[2], 1}}));
  EXPECT_TRUE(model.crossings.empty()) << "no table given";
}

// Smooth: a T line and the M lines after it are one move, its points the planner's ticks.
TEST(TimelineModel, SmoothPointsAreThePlannersTicks) {
  Arm arm;
  MotionConfig& motion = arm.motion;
  motion.smooth = true;
  motion.speed[2] = 100;
  const TRoboPath script =
      Script({{'T', 0, 10}, {'M', 1, 200}, {'M', 2, 50}, {'P', 0, 1}, {'M', 3, 10}});
  const TimelineModel model = BuildTimelineModel(script, arm.start, arm.settings);

  Pose from{};
  for (int s = 1; s <= kServoCount; ++s) from[s] = 127;
  Pose to = from;
  to[1] = 200;
  to[2] = 50;
  const MotionPlan plan(from, to, LimitsOf(arm.tables, motion), motion.tickMs, 1000);
  ASSERT_GT(plan.durationMs(), 1000) << "servo 2's speed limit makes the move longer";
  for (int s : {1, 2}) {
    std::vector<TimelinePoint> expected{{0, 127, -1}};
    for (int k = 1; k <= plan.ticks(); ++k) {
      const int32_t p = plan.positionAt(s, k);
      if (p != expected.back().position) expected.push_back({k * motion.tickMs, p, s});
    }
    EXPECT_EQ(model.servo[s], expected) << "servo " << s;
  }
  const std::vector<int64_t> waits = CommandWaits(script, arm.start, arm.settings);
  EXPECT_EQ(model.totalMs, std::accumulate(waits.begin(), waits.end(), int64_t{0}));
  EXPECT_EQ(model.commandStartMs[3], plan.durationMs());
  EXPECT_EQ(model.pauses,
            (std::vector<TimelineSpan>{{plan.durationMs(), plan.durationMs() + 1000, 3}}));
  EXPECT_EQ(model.servo[3].back().command, 4);
}

TEST(TimelineModel, MarksEachPassThroughTheTablePlane) {
  Arm arm;
  const TRoboPath script = Script({{'M', 2, 90}, {'M', 3, 60}, {'M', 2, 120}, {'M', 2, 80}});
  const BelowTable below = [](const Pose& pose) { return pose[2] < 100; };
  const TimelineModel model = BuildTimelineModel(script, arm.start, arm.settings, 100, below);
  const auto& t = model.commandStartMs;
  EXPECT_EQ(model.crossings,
            (std::vector<TimelineCrossing>{{t[0], 0, true}, {t[2], 2, false}, {t[3], 3, true}}));
}

}  // namespace
