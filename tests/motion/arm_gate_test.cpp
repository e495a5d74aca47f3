#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "arm_gate.h"
#include "fake_arm.h"
#include "workspace.h"

namespace {

using namespace std::chrono_literals;

Pose Uniform(int32_t position) {
  Pose pose{};
  for (int s = 1; s <= kServoCount; ++s) pose[s] = position;
  return pose;
}

Pose LevelPose(const ToolPoint& p, const Workspace& ws) {
  Pose pose = Uniform(127);
  const MovePlan plan = PlanMove(p, ws);
  for (int s = 1; s <= 4; ++s) pose[s] = plan.position[s];
  return pose;
}

// A taught path of three samples reaches each one, reported in turn once the ticks before
// it went out.
void TaughtInTurn(ArmGate& gate, FakeArm& arm) {
  std::vector<TimedSample> samples;
  for (int k = 1; k <= 3; ++k)
    samples.push_back({Pose{0, 127 + 9 * k, 127 - 5 * k, 130, 120, 110, 100 + k}, 300});
  std::vector<size_t> reported;
  std::vector<size_t> sentBefore;
  ArmRun run(gate);
  EXPECT_TRUE(run.Taught(samples, [&](size_t j) {
    reported.push_back(j);
    sentBefore.push_back(arm.sent.size());
  }));
  EXPECT_EQ(reported, (std::vector<size_t>{0, 1, 2}));
  EXPECT_LT(sentBefore[0], sentBefore[1]);
  EXPECT_LT(sentBefore[1], sentBefore[2]);
  EXPECT_EQ(gate.received(), samples.back().pose);
}

// One rule of the gate: `setup` adjusts the settings, `run` drives the gate on the fake arm
// and checks what the arm received.
struct Rule {
  const char* name;
  bool smooth;
  std::function<void(GateSettings&)> setup;
  std::function<void(ArmGate&, FakeArm&)> run;
};

const Rule kRules[] = {
    {"AHaltDuringAWaitWritesNothingMore", true,
     [](GateSettings& s) {
       s.motion.tickMs = 50;
       s.motion.speed[1] = 100;
     },
     [](ArmGate& gate, FakeArm& arm) {
       arm.haltAt = 525ms;  // inside the wait for the eleventh tick
       Pose target = Uniform(127);
       target[1] = 227;
       EXPECT_FALSE(gate.MoveTo(target));
       ASSERT_FALSE(arm.sent.empty());
       EXPECT_EQ(arm.sentAt.back(), 500ms);
       EXPECT_EQ(gate.received()[1], arm.PositionsOf(1).back());
       // The stop ends with its motion: the next jog goes out.
       arm.haltAt.reset();
       const int servo[] = {2};
       EXPECT_TRUE(gate.Jog(target, servo));
     }},
    {"EachTickSendsOnlyChangedServosOnTheGridWithinTheBudget", true,
     [](GateSettings& s) {
       s.motion.framesPerTick = 4;
       for (int servo = 1; servo <= kServoCount; ++servo) s.motion.speed[servo] = 50 * servo;
     },
     [](ArmGate& gate, FakeArm& arm) {
       Pose target = Uniform(127);
       for (int s = 1; s <= kServoCount; ++s) target[s] += s % 2 ? 20 * s : -15 * s;
       const MotionPlan plan(gate.received(), target,
                             LimitsOf(gate.tables(), gate.settings().motion), 20);
       EXPECT_TRUE(gate.MoveTo(target));
       EXPECT_EQ(gate.received(), target);
       for (size_t k = 0; k < arm.sent.size(); ++k) {
         EXPECT_EQ(arm.sentAt[k] % 20ms, 0us) << "a frame off the grid";
         ASSERT_LE(arm.sent[k].size(), 4u * kFrameSize);
       }
       for (int s = 1; s <= kServoCount; ++s) {
         const std::vector<int> p = arm.PositionsOf(s);
         ASSERT_FALSE(p.empty());
         EXPECT_NE(p.front(), 127);
         EXPECT_EQ(std::adjacent_find(p.begin(), p.end()), p.end()) << "a frame of no change";
         EXPECT_EQ(p.back(), target[s]);
       }
       EXPECT_LE(arm.sentAt.back(), (plan.ticks() + 1) * 20ms);
     }},
    {"APauseWaitsItsTicksAndSendsNothing", true, [](GateSettings& s) { s.motion.tickMs = 50; },
     [](ArmGate& gate, FakeArm& arm) {
       {
         ArmRun run(gate);
         EXPECT_TRUE(run.Pause(1s));
       }
       EXPECT_EQ(arm.Elapsed(), 1000ms);
       EXPECT_TRUE(arm.sent.empty());
     }},
    {"AFailedWriteLeavesThePoseAtTheLastWritten", true,
     [](GateSettings& s) { s.motion.framesPerTick = 4; },
     [](ArmGate& gate, FakeArm& arm) {
       arm.failAfter = 1;  // servos 1 to 4 go out, 5 and 6 do not
       EXPECT_ANY_THROW(gate.MoveTo(Uniform(200)));
       EXPECT_EQ(gate.received(), (Pose{0, 200, 200, 200, 200, 127, 127}));
       EXPECT_EQ(gate.writes(), 1u);  // the write that raised is not counted
       EXPECT_FALSE(gate.busy());
     }},
    {"MoreServosThanATickNamesGoOutInOneWrite", false, [](GateSettings&) {},
     [](ArmGate& gate, FakeArm& arm) {
       const int servos[] = {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6, 1};
       ASSERT_TRUE(gate.Jog(Uniform(140), servos));
       ByteString frames;
       for (const int s : servos) frames += EncodeServoFrame(static_cast<uint8_t>(s), 140);
       EXPECT_EQ(arm.sent, std::vector<ByteString>{frames});
       EXPECT_EQ(gate.writes(), 1u);
     }},
    {"ALostPortLeavesThePoseAtTheLastWrittenAndWritesNoMore", false, [](GateSettings&) {},
     [](ArmGate& gate, FakeArm& arm) {
       arm.lostAfter = 0;
       EXPECT_FALSE(gate.MoveTo(Uniform(27)));
       EXPECT_TRUE(arm.sent.empty());
       EXPECT_EQ(gate.received(), Uniform(127));
       const int servo[] = {1};
       EXPECT_FALSE(gate.Jog(Uniform(140), servo));
       EXPECT_EQ(gate.received(), Uniform(127));
     }},
    {"HomeAndJogDuringAPauseAreRefused", true, [](GateSettings&) {},
     [](ArmGate& gate, FakeArm& arm) {
       int refused = 0;
       arm.clock.onSleep = [&] {
         try {
           gate.MoveTo(Uniform(200));
         } catch (const EArmBusy&) {
           ++refused;
         }
         const int servo[] = {2};
         if (!gate.Jog(Uniform(150), servo)) ++refused;
         arm.clock.onSleep = nullptr;
       };
       ArmRun run(gate);
       EXPECT_TRUE(run.Pause(1s));
       EXPECT_EQ(refused, 2);
       EXPECT_TRUE(arm.sent.empty());
     }},
    {"AShortLineTakesAtLeastTheJointPlansTicks", true,
     [](GateSettings& s) {
       s.moveLine = true;
       s.motion.speed[4] = 2;
     },
     [](ArmGate& gate, FakeArm& arm) {
       const Workspace& ws = gate.settings().workspace;
       gate.Place(LevelPose({15, 5, 0}, ws));
       const Pose target = LevelPose({15.1, 5, 0}, ws);
       const MotionPlan joints(gate.received(), target, LimitsOf(ws.tables, gate.settings().motion),
                               20);
       ASSERT_GT(joints.ticks(), 2);
       EXPECT_TRUE(gate.MoveTo(target, ToolPoint{15.1, 5, 0}));
       EXPECT_GE(arm.Elapsed(), joints.ticks() * 20ms);
       EXPECT_EQ(gate.received(), target);
     }},
    {"ALineFromAHandThatIsNotLevelDoesNotSnap", true, [](GateSettings& s) { s.moveLine = true; },
     [](ArmGate& gate, FakeArm& arm) {
       const Workspace& ws = gate.settings().workspace;
       Pose start = LevelPose({15, 5, 0}, ws);
       start[4] += 30;
       gate.Place(start);
       EXPECT_TRUE(gate.MoveTo(LevelPose({15, 10, 0}, ws), ToolPoint{15, 10, 0}));
       ASSERT_FALSE(arm.PositionsOf(4).empty());
       // The 30 positions off level are taken out over the whole line.
       EXPECT_LE(std::abs(arm.PositionsOf(4).front() - start[4]), 6);
       EXPECT_EQ(gate.received(), LevelPose({15, 10, 0}, ws));
     }},
    {"AStartPoseBeyondItsLimitIsSentAtTheLimit", false,
     [](GateSettings& s) { s.workspace.tables.Maxval[1] = 200; },
     [](ArmGate& gate, FakeArm& arm) {
       gate.Place(Uniform(250));
       EXPECT_EQ(gate.received()[1], 200);
       const int servo[] = {1};
       EXPECT_TRUE(gate.Jog(gate.received(), servo));
       EXPECT_EQ(arm.PositionsOf(1), std::vector<int>{200});
     }},
    {"TenPercentOfASpeedOfFifteenTakesTenTimesAsLong", true,
     [](GateSettings& s) { s.motion.speed[1] = 15; },
     [](ArmGate& gate, FakeArm& arm) {
       Pose target = Uniform(127);
       target[1] = 187;
       const MotionPlan full(gate.received(), target,
                             LimitsOf(gate.tables(), gate.settings().motion), 20);
       {
         ArmRun run(gate, 0.1);
         EXPECT_TRUE(run.Glide(target));
       }
       const auto ticks = arm.Elapsed() / 20ms;
       EXPECT_NEAR(static_cast<double>(ticks), 10.0 * full.ticks(), 1.0);
     }},
    {"AClassicMoveSendsEveryServoInOneWriteWithinItsLimits", false,
     [](GateSettings& s) {
       s.workspace.tables.Maxval[2] = 200;
       s.workspace.tables.Minval[5] = 50;
     },
     [](ArmGate& gate, FakeArm& arm) {
       EXPECT_TRUE(gate.MoveTo(Pose{0, 10, 250, 30, 240, 20, 220}));
       const Pose held{0, 10, 200, 30, 240, 50, 220};
       EXPECT_EQ(arm.sent.size(), 1u);
       for (int s = 1; s <= kServoCount; ++s) EXPECT_EQ(arm.PositionsOf(s), std::vector{held[s]});
       EXPECT_EQ(gate.received(), held);
     }},
    {"AMoveWithoutAToolPointGlidesAlsoWhenMovesFollowALine", true,
     [](GateSettings& s) { s.moveLine = true; },
     [](ArmGate& gate, FakeArm& arm) {
       EXPECT_TRUE(gate.MoveTo(Uniform(100)));
       EXPECT_EQ(arm.PositionsOf(6).back(), 100);
       EXPECT_EQ(gate.received(), Uniform(100));
     }},
    {"HaltedClassicStepsAndTaughtPathsSendNothingAndSaySo", false, [](GateSettings&) {},
     [](ArmGate& gate, FakeArm& arm) {
       arm.halted = true;
       ArmRun run(gate);
       EXPECT_FALSE(run.Step(1, 200));
       const TimedSample sample{Uniform(200), 100};
       EXPECT_FALSE(run.Taught(std::span(&sample, 1), {}));
       const ArmRun::ServoMove moves[] = {{1, 200}, {2, 200}};
       EXPECT_FALSE(run.Moves(moves, 0, {}));
       EXPECT_EQ(arm.Elapsed(), 0us) << "a halted step waits for nothing";
       EXPECT_TRUE(arm.sent.empty());
       EXPECT_EQ(gate.received(), Uniform(127));
     }},
    {"ClassicMovesStepTheirServosInTurnEachWaitingItsDistance", false, [](GateSettings&) {},
     [](ArmGate& gate, FakeArm& arm) {
       const ArmRun::ServoMove moves[] = {{1, 130}, {2, 120}};
       std::vector<size_t> started;
       ArmRun run(gate);
       EXPECT_TRUE(run.Moves(moves, 0, [&](size_t k) { started.push_back(k); }));
       EXPECT_EQ(started, (std::vector<size_t>{0, 1}));
       EXPECT_EQ(arm.sentAt, (std::vector<std::chrono::microseconds>{0ms, 62ms}));
       EXPECT_EQ(arm.Elapsed(), 204ms);  // 2 ms after each write, 20 a position
       EXPECT_EQ(gate.received(), (Pose{0, 130, 120, 127, 127, 127, 127}));
     }},
    {"AClassicStepOfNoServoSendsNothing", false, [](GateSettings&) {},
     [](ArmGate& gate, FakeArm& arm) {
       ArmRun run(gate);
       EXPECT_TRUE(run.Step(0, 200));
       EXPECT_TRUE(run.Step(kServoCount + 1, 200));
       EXPECT_TRUE(arm.sent.empty());
       EXPECT_EQ(gate.received(), Uniform(127));
     }},
    {"AHaltDuringATaughtPathWritesNothingMoreAndSaysSo", true, [](GateSettings&) {},
     [](ArmGate& gate, FakeArm& arm) {
       arm.haltAt = 300ms;
       std::vector<TimedSample> samples;
       for (int k = 1; k <= 5; ++k) samples.push_back({Uniform(127 + 10 * k), 200});
       ArmRun run(gate);
       EXPECT_FALSE(run.Taught(samples, {}));
       ASSERT_FALSE(arm.sent.empty());
       EXPECT_LT(arm.sentAt.back(), 300ms);
       EXPECT_EQ(gate.received()[1], arm.PositionsOf(1).back());
     }},
    {"ServosTheBudgetLeftBehindCatchUpATickApart", true,
     [](GateSettings& s) { s.motion.framesPerTick = 2; },
     [](ArmGate& gate, FakeArm& arm) {
       const Pose pose = Uniform(200);
       ArmRun run(gate);
       EXPECT_TRUE(run.Through(std::span(&pose, 1)));
       EXPECT_EQ(arm.sentAt, (std::vector<std::chrono::microseconds>{20ms, 40ms, 60ms}));
       EXPECT_EQ(gate.received(), pose);
     }},
    {"AClassicTaughtPathReachesEachSampleInTurn", false, [](GateSettings&) {}, TaughtInTurn},
    {"ASmoothTaughtPathReachesEachSampleInTurn", true, [](GateSettings&) {}, TaughtInTurn},
};

class GateRules : public testing::TestWithParam<Rule> {};

TEST_P(GateRules, Hold) {
  const Rule& rule = GetParam();
  FakeArm arm;
  ArmGate gate(arm);
  GateSettings settings = TestGateSettings(rule.smooth);
  rule.setup(settings);
  gate.Configure(settings);
  gate.Place(Uniform(127));
  rule.run(gate, arm);
}

// The rule's name stands for it in the test's name, as ctest lists it, and in a failure.
void PrintTo(const Rule& rule, std::ostream* out) {
  *out << rule.name;
}

INSTANTIATE_TEST_SUITE_P(Gate, GateRules, testing::ValuesIn(kRules));

}  // namespace
