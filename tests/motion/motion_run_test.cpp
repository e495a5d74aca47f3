#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "fake_clock.h"
#include "motion_config.h"
#include "motion_run.h"

namespace {

using namespace std::chrono_literals;

class FakeArm : public MotionHost {
 public:
  FakeArm() {
    for (int s = 1; s <= kServoCount; ++s) {
      state.position[s] = 127;
      tables.Minval[s] = 0;
      tables.Maxval[s] = 254;
      tables.Address[s] = s;
    }
  }
  ServoState& servoState() override { return state; }
  const ServoTables& servoTables() const override { return tables; }
  void UpdateGauges() override {}
  void SendFrames(const ByteString& frames) override {
    if (frames.empty()) return;
    writes.push_back({clock.now - start, frames});
    clock.Advance(1ms);
  }
  void PumpEvents() override { ++pumps; }
  ScheduleClock& Clock() override { return clock; }

  struct Write {
    ScheduleClock::Duration at;
    ByteString frames;
  };
  FakeClock clock;
  const ScheduleClock::TimePoint start = clock.now;
  ServoState state;
  ServoTables tables;
  std::vector<Write> writes;
  int pumps = 0;
};

Pose Uniform(int32_t position) {
  Pose pose{};
  for (int s = 1; s <= kServoCount; ++s) pose[s] = position;
  return pose;
}

TEST(MotionRun, EachTickSendsOnlyChangedServosOnTheGridWithinTheBudget) {
  FakeArm arm;
  MotionConfig config;
  for (int s = 1; s <= kServoCount; ++s) config.speed[s] = 50 * s;
  Pose target = Uniform(127);
  for (int s = 1; s <= kServoCount; ++s) target[s] += s % 2 ? 20 * s : -15 * s;
  const MotionPlan plan(PoseOf(arm.state), target, LimitsOf(arm.tables, config), 20);
  LineBudget line(4);
  line.Reset(PoseOf(arm.state));
  Timeline timeline(arm.clock);

  ASSERT_TRUE(RunMotion(plan, arm, timeline, line, [] { return false; }));
  EXPECT_EQ(PoseOf(arm.state), plan.target());
  int lastTick = 0;
  Pose seen = Uniform(127);
  for (const FakeArm::Write& w : arm.writes) {
    const auto tick = w.at / 20ms;
    EXPECT_EQ(w.at, tick * 20ms) << "a frame off the grid";
    EXPECT_GT(tick, lastTick);
    lastTick = static_cast<int>(tick);
    ASSERT_LE(w.frames.size(), 4u * kFrameSize);
    for (size_t i = 0; i < w.frames.size(); i += kFrameSize) {
      const int servo = static_cast<uint8_t>(w.frames[i + 1]) - kAddressOffset;
      const int32_t position = static_cast<uint8_t>(w.frames[i + 2]);
      EXPECT_NE(seen[servo], position) << "a frame for a servo that did not change";
      seen[servo] = position;
    }
  }
  EXPECT_EQ(seen, plan.target());
  EXPECT_LE(lastTick, plan.ticks() + 1);
}

TEST(MotionRun, AHaltSendsNothingMoreAndHoldsWhatWasSent) {
  FakeArm arm;
  const Pose target = Uniform(227);
  MotionConfig config;
  for (int s = 1; s <= kServoCount; ++s) config.accel[s] = 200;
  const MotionPlan plan(PoseOf(arm.state), target, LimitsOf(arm.tables, config), 20);
  LineBudget line(4);
  line.Reset(PoseOf(arm.state));
  Timeline timeline(arm.clock);
  int ticks = 0;

  EXPECT_FALSE(RunMotion(plan, arm, timeline, line, [&] { return ++ticks == 30; }));
  EXPECT_EQ(arm.pumps, 30);
  EXPECT_LE(arm.writes.back().at, 30 * 20ms);
  EXPECT_EQ(PoseOf(arm.state), line.sent());
  EXPECT_NE(PoseOf(arm.state), target);
}

TEST(MotionRun, APauseWaitsItsTicksAndSendsNothing) {
  FakeArm arm;
  arm.state.position[2] = 300;  // beyond its limit, yet a pause sends nothing
  const MotionPlan pause = MotionPlan::Hold(PoseOf(arm.state), 50, 1000);
  LineBudget line;
  line.Reset(PoseOf(arm.state));
  Timeline timeline(arm.clock);
  EXPECT_TRUE(RunMotion(pause, arm, timeline, line, {}));
  EXPECT_EQ(arm.clock.now - arm.start, 1000ms);
  EXPECT_EQ(arm.pumps, 20);
  EXPECT_TRUE(arm.writes.empty());
}

}  // namespace
