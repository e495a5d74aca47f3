#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "fake_arm.h"
#include "playback.h"
#include "script_flow.h"
#include "script_line.h"
#include "teach_recorder.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::microseconds;

// A window stand-in on the shared fake arm: what playback asks it to show and pump, and the
// servos as the arm received them.
class FakeHost : public PlaybackHost, public FakeArm {
 public:
  FakeHost() : settings(TestGateSettings(false)) { SetStartPositions(state); }

  void Play(const TRoboPath& script, int& stop, const PlayOptions& options) {
    stop_ = &stop;
    gate.Configure(settings);
    gate.Place(PoseOf(state));
    PlayScript(script, gate, *this, options);
  }
  void StopTick() override { ticking = false; }
  void StartTick() override { ticking = true; }
  void ShowPlaying(bool on) override {
    playing = on;
    state.runState = on ? 2 : 1;
  }
  void PumpEvents() override {
    ++pumps;
    // Only a pump that finds work takes time.
    if (repaintPending) clock.Advance(pumpTime);
    repaintPending = false;
    if (onPump) onPump();
  }
  bool Halted() override { return FakeArm::Halted() || *stop_ == 1; }
  // The operator continues after 5 s, or ends the run.
  bool WaitForOperator() override {
    clock.Advance(5s);
    return !haltAtWait;
  }
  // As the window: the gauges follow each write, and what it set going (their repaint, the
  // lamp) runs in a pump right after it, while the arm travels.
  void Received(const Pose&, const Pose& now) override {
    std::copy(now.begin(), now.end(), std::begin(state.position));
    ++gaugeUpdates;
    clock.Advance(gaugeTime);
    repaintPending = true;
    if (onGauges) onGauges();
    PumpEvents();
  }

  GateSettings settings;
  ServoTables& tables = settings.workspace.tables;
  MotionConfig& motion = settings.motion;
  ArmGate gate{*this};
  ServoState state;
  bool ticking = true;
  bool playing = false;
  bool repaintPending = false;
  bool haltAtWait = false;
  int gaugeUpdates = 0;
  int pumps = 0;
  std::function<void()> onPump;
  std::function<void()> onGauges;
  // What the window's own work costs, in clock time.
  FakeClock::Duration gaugeTime{0};
  FakeClock::Duration pumpTime{0};

 private:
  int* stop_ = nullptr;
};

// Plays on the gate of `host`, `stop` standing for the Stop button.
void PlayScript(const TRoboPath& script, FakeHost& host, int& stop,
                const PlayOptions& options = {}) {
  host.Play(script, stop, options);
}

// Lateness of each frame against the schedule the script asks for: the first frame is due
// `first` after the start, each later one 2 ms plus the travel time of the move before it after
// that one was due.
std::vector<microseconds> Lateness(const FakeHost& host, const std::vector<int>& travelMs,
                                   microseconds first = 0us) {
  std::vector<microseconds> late;
  microseconds due = first;
  for (size_t k = 0; k < host.sentAt.size(); ++k) {
    late.push_back(host.sentAt[k] - due);
    if (k < travelMs.size()) due += 2ms + std::chrono::milliseconds(travelMs[k]);
  }
  return late;
}

TEST(Recording, ButtonsAppendTheLivePositions) {
  TRoboPath script;
  ServoState state;
  const int32_t positions[] = {0, 127, 100, 90, 127, 127, 300};
  std::copy(std::begin(positions), std::end(positions), state.position);
  RecordAll(script, state);
  RecordPause(script);
  RecordServo(script, state, 2);
  ASSERT_EQ(script.count(), 8);
  EXPECT_EQ(script.getItem(2).value, 90);
  EXPECT_EQ(script.getItem(5).value, 44);  // the low byte of 300
  EXPECT_EQ(script.getItem(6).letter, 'P');
  EXPECT_EQ(script.getItem(6).servoId, 0);
  EXPECT_EQ(script.getItem(6).value, 5);
  EXPECT_EQ(script.getItem(7).servoId, 2);
}

TEST(Playback, MovesSendOneFrameEachAndWaitForTheDistance) {
  FakeHost host;
  host.tables.Maxval[2] = 200;
  host.state.position[1] = 100;
  TRoboPath script;
  RecordCommand(script, 'M', 1, 150);
  RecordCommand(script, 'M', 1, 100);
  RecordCommand(script, 'M', 1, 100);
  RecordCommand(script, 'M', 2, 250);
  RecordCommand(script, 'P', 0, 255);
  int stop = 0;
  PlayScript(script, host, stop);
  EXPECT_EQ(host.sent,
            (std::vector<ByteString>{EncodeServoFrame(1, 150), EncodeServoFrame(1, 100),
                                     EncodeServoFrame(1, 100), EncodeServoFrame(2, 200)}));
  // 100 -> 150 and back wait 1000 ms each, a repeat waits 0, and the wait for servo 2 runs
  // to the raw 250 although the arm stops at its limit. Each write is followed by its 2 ms.
  EXPECT_EQ(host.sentAt, (std::vector<microseconds>{0ms, 1002ms, 2004ms, 2006ms}));
  EXPECT_EQ(host.Elapsed(), 2006ms + 2ms + 2460ms + 255000ms);
  EXPECT_EQ(host.state.position[2], 200);
  EXPECT_EQ(host.pumps, 6);  // once after each frame, twice after the pause that sent none
  EXPECT_EQ(host.state.runState, 1);
  EXPECT_FALSE(host.playing);
  EXPECT_TRUE(host.ticking);
  EXPECT_FALSE(host.gate.busy());
}

TEST(Playback, SkipsOtherLettersAndServoNumbersOutsideTheArm) {
  FakeHost host;
  TRoboPath script;
  RecordCommand(script, 'm', 1, 5);
  RecordCommand(script, 'M', 0, 5);
  RecordCommand(script, 'M', 7, 5);
  RecordCommand(script, 'M', 255, 5);
  int stop = 0;
  PlayScript(script, host, stop);
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.pumps, 8);  // the pump still runs twice for each
  for (int i = 1; i <= kServoCount; ++i) EXPECT_EQ(host.state.position[i], 127);
}

TEST(Playback, StopEndsAfterTheCommandInProgress) {
  FakeHost host;
  TRoboPath script;
  RecordCommand(script, 'P', 0, 10);
  RecordCommand(script, 'M', 1, 10);
  int stop = 0;
  host.onPump = [&] {
    EXPECT_EQ(host.state.runState, 2);
    EXPECT_TRUE(host.playing);
    stop = 1;  // the Stop click handled by the pump
  };
  PlayScript(script, host, stop);
  EXPECT_EQ(host.clock.sleeps, std::vector<microseconds>{10000ms});  // the pause is not shortened
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.state.runState, 1);
  EXPECT_TRUE(host.ticking);
}

TEST(Playback, EmptyScriptGoesToPlayingAndStraightBack) {
  FakeHost host;
  host.ticking = false;
  TRoboPath script;
  int stop = 0;
  PlayScript(script, host, stop);
  EXPECT_EQ(host.state.runState, 1);
  EXPECT_FALSE(host.playing);
  EXPECT_TRUE(host.ticking);
}

TEST(Playback, AnErrorRestoresTheIdleLookAndLeavesTheTickStopped) {
  FakeHost host;
  host.failAfter = 0;
  TRoboPath script;
  RecordCommand(script, 'M', 1, 10);
  int stop = 0;
  EXPECT_THROW(PlayScript(script, host, stop), std::runtime_error);
  EXPECT_FALSE(host.playing);
  EXPECT_EQ(host.state.runState, 1);
  EXPECT_FALSE(host.ticking);
}

TEST(Playback, AScriptShortenedWhilePlayingEndsWithAnError) {
  FakeHost host;
  TRoboPath script;
  RecordCommand(script, 'P', 0, 0);
  RecordCommand(script, 'P', 0, 0);
  host.onPump = [&] { script.clear(); };  // a Load or the editor's OK ran in the pump
  int stop = 0;
  EXPECT_THROW(PlayScript(script, host, stop), std::out_of_range);
  EXPECT_EQ(host.state.runState, 1);
  EXPECT_FALSE(host.playing);
}

// Moves of servo 1 that travel alternately 1 and 10 steps: waits of 20 and 200 ms.
std::vector<int> AlternatingMoves(TRoboPath& script, int count) {
  std::vector<int> travelMs;
  int position = 127;
  for (int k = 0; k < count; ++k) {
    const int step = k % 2 ? 10 : 1;
    position += (k / 2) % 2 ? -step : step;
    RecordCommand(script, 'M', 1, static_cast<uint8_t>(position));
    travelMs.push_back(step * 20);
  }
  return travelMs;
}

// Work waiting in the window: only the repaint a write sets going, or something in every pump
// (a tick, a click) as well.
class PlaybackWork : public testing::TestWithParam<bool> {};

TEST_P(PlaybackWork, OurOwnWorkDelaysEachFrameButNeverAddsUp) {
  FakeHost host;
  host.gaugeTime = 400us;
  host.writeTime = 300us;
  host.pumpTime = 300us;
  if (GetParam()) host.onPump = [&] { host.repaintPending = true; };
  TRoboPath script;
  const std::vector<int> travelMs = AlternatingMoves(script, 1000);
  int stop = 0;
  PlayScript(script, host, stop);
  ASSERT_EQ(host.sent.size(), 1000u);
  const std::vector<microseconds> late = Lateness(host, travelMs);
  // The first frame is due when it is ready. The gauges and their repaint follow each frame,
  // while the arm travels; nothing runs between a wait and its frame: no frame is late.
  for (size_t k = 0; k < late.size(); ++k) ASSERT_EQ(late[k], 0us) << "frame " << k;
}
INSTANTIATE_TEST_SUITE_P(RepaintOnly, PlaybackWork, testing::Values(false));
INSTANTIATE_TEST_SUITE_P(InEveryPump, PlaybackWork, testing::Values(true));

TEST(PlaybackTimeline, AFrameNeverLeavesBeforeItIsDue) {
  FakeHost host;
  TRoboPath script;
  RecordCommand(script, 'M', 1, 128);
  RecordCommand(script, 'M', 1, 128);  // no travel: due 2 ms after the one before
  RecordCommand(script, 'M', 1, 138);
  // Longer sleeps wake up a millisecond early, as an interrupted one might.
  host.clock.onSleep = [&] {
    if (host.clock.sleeps.back() > 1ms) host.clock.now -= 1ms;
  };
  int stop = 0;
  PlayScript(script, host, stop);
  ASSERT_EQ(host.sent.size(), 3u);
  const std::vector<microseconds> late = Lateness(host, {20, 0});
  for (const microseconds l : late) EXPECT_GE(l, 0us);
  EXPECT_LE(late.back(), 0us);  // and not held back longer than needed
}

TEST(PlaybackTimeline, PausesKeepTheScheduleToo) {
  FakeHost host;
  host.pumpTime = 350us;
  host.onPump = [&] { host.repaintPending = true; };  // something to do in every pump
  TRoboPath script;
  RecordCommand(script, 'M', 1, 137);  // 200 ms
  RecordCommand(script, 'P', 0, 1);
  RecordCommand(script, 'P', 0, 0);
  RecordCommand(script, 'M', 1, 127);
  int stop = 0;
  PlayScript(script, host, stop);
  ASSERT_EQ(host.sentAt.size(), 2u);
  // The frame after the pauses is due 2 + 200 + 1000 ms after the first; it is late only by
  // the pumps after the two pauses.
  EXPECT_EQ(Lateness(host, {200 + 1000}), (std::vector<microseconds>{0us, 1400us}));
}

TEST(PlaybackTimeline, AFrameHeldUpLongStartsTheScheduleAfresh) {
  FakeHost host;
  TRoboPath script;
  RecordCommand(script, 'M', 1, 137);  // 200 ms, then held up briefly
  RecordCommand(script, 'M', 1, 127);  // 200 ms
  RecordCommand(script, 'M', 1, 117);  // 200 ms, then held up by a dialog for 5 s
  RecordCommand(script, 'M', 1, 118);  // 20 ms
  RecordCommand(script, 'M', 1, 128);
  // Held up in the pumps after the first and the third frame, beyond their travel.
  host.onPump = [&] {
    if (host.pumps == 1) host.clock.Advance(200ms + kCatchUpLimit);
    if (host.pumps == 3) host.clock.Advance(200ms + 5s);
  };
  int stop = 0;
  PlayScript(script, host, stop);
  ASSERT_EQ(host.sentAt.size(), 5u);
  // Late by no more than the limit: the next wait is that much shorter.
  EXPECT_EQ(host.sentAt[1], 202ms + kCatchUpLimit);
  EXPECT_EQ(host.sentAt[2] - host.sentAt[1], 202ms - kCatchUpLimit);
  // 5 s late: the frame goes at once and the arm still gets its full travel time after it.
  EXPECT_EQ(host.sentAt[3], 606ms + 5s);
  EXPECT_EQ(host.sentAt[4] - host.sentAt[3], 22ms);
}

// Smooth: consecutive M lines are one move on the tick grid, a servo named twice starts the
// next move, a T line times only the move after it, a pause sends nothing; classic skips T.
TEST(SmoothPlayback, MovesGatherTheirLinesOnTheTickGrid) {
  TRoboPath script;
  for (const auto& [letter, servo, value] :
       std::vector<std::tuple<char, int, int>>{{'T', 0, 10},
                                               {'M', 1, 200},
                                               {'M', 2, 50},
                                               {'M', 1, 150},
                                               {'P', 0, 1},
                                               {'X', 1, 9},
                                               {'M', 3, 180}}) {
    RecordCommand(script, letter, static_cast<uint8_t>(servo), static_cast<uint8_t>(value));
  }
  FakeHost host;
  host.motion.smooth = true;
  host.motion.framesPerTick = 2;
  int stop = 0;
  PlayScript(script, host, stop);

  // Where each servo stands after each write, and when.
  int32_t at[kServoCount + 1] = {0, 127, 127, 127, 127, 127, 127};
  microseconds servo1At200{}, servo2At50{};
  for (size_t w = 0; w < host.sent.size(); ++w) {
    ASSERT_EQ(host.sentAt[w] % 20ms, 0us) << "write " << w << " off the grid";
    ASSERT_LE(host.sent[w].size(), 2u * kFrameSize);
    for (size_t i = 0; i < host.sent[w].size(); i += kFrameSize) {
      at[static_cast<uint8_t>(host.sent[w][i + 1]) - kAddressOffset] =
          static_cast<uint8_t>(host.sent[w][i + 2]);
    }
    if (at[1] == 200 && servo1At200 == 0us) servo1At200 = host.sentAt[w];
    if (at[2] == 50 && servo2At50 == 0us) servo2At50 = host.sentAt[w];
  }
  // The timed move ends at 1 s; the two servos get there within a tick of each other.
  EXPECT_LE(servo1At200, 1000ms);
  EXPECT_LE(servo2At50, 1000ms);
  EXPECT_LE(servo1At200 > servo2At50 ? servo1At200 - servo2At50 : servo2At50 - servo1At200, 20ms);
  // The untimed moves take a tick each; the pause holds a second in between.
  ASSERT_GE(host.sent.size(), 2u);
  EXPECT_EQ(host.sent[host.sent.size() - 2], EncodeServoFrame(1, 150));
  EXPECT_EQ(host.sentAt[host.sent.size() - 2], 1020ms);
  EXPECT_EQ(host.sent.back(), EncodeServoFrame(3, 180));
  EXPECT_EQ(host.sentAt.back(), 2040ms);
  EXPECT_EQ(host.state.position[4], 127);

  FakeHost classic;
  PlayScript(script, classic, stop);
  EXPECT_EQ(classic.sent.size(), 4u);
}

// Speed scales every wait but the pause after a write; each pass of a repeat starts where the
// last left the arm; forever plays until stopped, an empty script once.
TEST(PlayOptions, SpeedScalesTheWaitsAndRepeatPlaysThePasses) {
  // M 1 137 (10 steps: 200 ms), then P 1 s.
  const std::tuple<int, int, std::vector<microseconds>, microseconds> cases[] = {
      {200, 1, {0ms}, 102ms + 500ms},
      {10, 1, {0ms}, 2002ms + 10000ms},
      {400, 3, {0ms, 302ms, 554ms}, 554ms + 2ms + 250ms},
  };
  for (const auto& [speed, repeat, sentAt, end] : cases) {
    FakeHost host;
    TRoboPath script;
    RecordCommand(script, 'M', 1, 137);
    RecordCommand(script, 'P', 0, 1);
    int stop = 0;
    PlayScript(script, host, stop, PlayOptions{speed, repeat});
    EXPECT_EQ(host.sentAt, sentAt) << speed;
    EXPECT_EQ(host.Elapsed(), end) << speed;
  }
  FakeHost host;
  TRoboPath script;
  RecordCommand(script, 'M', 1, 130);
  int stop = 0;
  host.onPump = [&] { stop = host.sent.size() == 7 ? 1 : 0; };
  PlayScript(script, host, stop, PlayOptions{100, PlayOptions::kRepeatForever});
  EXPECT_EQ(host.sent.size(), 7u);
  PlayScript(TRoboPath(), host, stop, PlayOptions{100, PlayOptions::kRepeatForever});
}

// Smooth: the speed scales a move's time under its limits, a T line's time and a pause alike.
TEST(PlayOptions, SmoothMovesTimedMovesAndPausesScaleWithTheSpeed) {
  // Servo 1 at 100 positions/s and 400 positions/s^2 over 100 positions: 1.25 s, 63 ticks.
  const std::tuple<std::vector<std::tuple<char, int, int>>, int, microseconds> cases[] = {
      {{{'M', 1, 227}}, 100, 1260ms},
      {{{'M', 1, 227}}, 50, 2500ms},
      {{{'T', 0, 40}, {'M', 1, 227}}, 200, 2000ms},  // 4 s asked, half of it
      {{{'P', 0, 2}, {'M', 2, 128}}, 400, 520ms},    // the pause: 0.5 s, then a tick
  };
  for (const auto& [lines, speed, end] : cases) {
    TRoboPath script;
    for (const auto& [letter, servo, value] : lines) {
      RecordCommand(script, letter, static_cast<uint8_t>(servo), static_cast<uint8_t>(value));
    }
    FakeHost host;
    host.motion.smooth = true;
    host.motion.speed[1] = 100;
    host.motion.accel[1] = 400;
    int stop = 0;
    PlayScript(script, host, stop, PlayOptions{speed, 1});
    EXPECT_EQ(host.Elapsed() - host.Elapsed() % 20ms, end) << speed << "% " << lines.size();
  }
}

struct FlowCase {
  const char* name;
  std::vector<const char*> lines;
  std::vector<int> sent;  // positions servo 1 is sent
  int elapsedMs;
  size_t haltAfterFrames = 0;
  bool haltAtWait = false;
};

class FlowPlayback : public testing::TestWithParam<FlowCase> {};

// Moves of servo 1 between 127 and 137 wait 200 ms, every write 2 ms more.
TEST_P(FlowPlayback, SendsTheFramesOfTheScriptWithItsJumpsTaken) {
  const FlowCase& c = GetParam();
  FakeHost host;
  host.haltAtWait = c.haltAtWait;
  TRoboPath script;
  for (const char* line : c.lines) {
    script.add(std::make_unique<TServoCommand>(ParseScriptLine(line)));
  }
  int stop = 0;
  host.onPump = [&] {
    if (c.haltAfterFrames > 0 && host.sent.size() == c.haltAfterFrames) stop = 1;
  };
  PlayScript(script, host, stop);
  EXPECT_EQ(host.PositionsOf(1), c.sent);
  EXPECT_EQ(host.Elapsed(), std::chrono::milliseconds(c.elapsedMs));
}

INSTANTIATE_TEST_SUITE_P(
    Executor, FlowPlayback,
    testing::Values(
        // The inner count starts afresh each time the outer loop enters it from above.
        FlowCase{"NestedCountedLoops",
                 {"L;1;0", "M;1;137", "L;2;0", "M;1;127", "J;2;1", "J;1;1"},
                 {137, 127, 127, 137, 127, 127},
                 4 * 202 + 2 * 2},
        FlowCase{"JumpsToOneLabelCountApart",
                 {"L;1;0", "M;1;137", "J;1;1", "M;1;127", "J;1;1"},
                 {137, 137, 127, 137, 137, 127},
                 4 * 202 + 2 * 2},
        FlowCase{"LoopForEverRunsUntilHalted",
                 {"L;1;0", "M;1;137", "M;1;127", "J;1;0"},
                 {137, 127, 137, 127, 137},
                 5 * 202,
                 5},
        FlowCase{"PaceScalesWhatFollows",
                 {"M;1;137", "S;0;200", "M;1;127", "P;0;1", "S;0;50", "M;1;137"},
                 {137, 127, 137},
                 202 + 102 + 500 + 402},
        FlowCase{"WaitHoldsUntilContinued", {"W;0;0", "M;1;137", "W;0;0"}, {137}, 10202},
        FlowCase{"HaltInAWaitEndsTheRun", {"M;1;137", "W;0;0", "M;1;127"}, {137}, 5202, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlowCheck, RefusesEachBadFlowWithItsLine) {
  const struct {
    std::vector<const char*> lines;
    int line;  // 0: no fault
    const char* reason;
  } cases[] = {
      {{"M;1;5", "J;1;1", "L;1;0"}, 2, "jumps to label 1, which is not defined above it"},
      {{"L;3;0", "M;1;5", "L;3;0"}, 3, "label 3 is already defined in line 1"},
      {{"L;0;0"}, 1, "labels are numbered 1 to 255"},
      {{"L;1;0", "P;0;0", "T;0;9", "J;1;0"}, 4, "loops for ever without a move"},
      {{"L;1;0", "M;1;5", "L;2;0", "J;2;0"}, 4, "loops for ever without a move"},
      {{"S;0;9"}, 1, "speed 9 % is outside 10 to 400 %"},
      {{"L;1;0", "W;0;0", "J;1;0", "L;2;0", "P;0;1", "J;2;0", "S;0;10"}, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines.back());
    TRoboPath script;
    for (const char* line : c.lines) {
      script.add(std::make_unique<TServoCommand>(ParseScriptLine(line)));
    }
    const auto fault = FindFlowFault(script);
    EXPECT_EQ(fault ? fault->line : 0, c.line);
    EXPECT_NE((fault ? fault->reason : "").find(c.reason), std::string::npos);
  }
}

// Teaching and playing back: the operator waits 3 s, then jogs servo 1 up by 3 and servo 3
// down by 2 every 100 ms sample, 50 samples. The wait is left out; under the shipped limits the
// path plays within 5 % of its 5 s, and neither servo stands still on the way.
TEST(SmoothPlayback, ATaughtPathPlaysAsTaught) {
  FakeHost host;
  TeachRecorder teach(host.clock);
  TRoboPath script;
  host.state.position[1] = 60;
  host.state.position[3] = 200;
  teach.Start(script, host.state, 100);
  for (int sample = 1; sample <= 80; ++sample) {
    host.clock.Advance(100ms);
    if (sample > 30) {
      host.state.position[1] += 3;
      host.state.position[3] -= 2;
    }
    teach.Sample(script, host.state);
  }
  int taught = 0;
  for (int i = 0; i < script.count(); ++i)
    taught += script.getItem(i).letter == 'T' ? script.getItem(i).value : 0;
  EXPECT_EQ(taught, 50);  // tenths of a second

  host.state.position[1] = 60;
  host.state.position[3] = 200;
  host.motion = {true, {0, 80, 100, 90, 150, 180, 200}, {0, 300, 300, 250, 500, 600, 800}};
  const auto begun = host.clock.now;
  int stop = 0;
  PlayScript(script, host, stop);
  const auto playedMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(host.clock.now - begun).count();
  EXPECT_NEAR(static_cast<double>(playedMs), 5000.0, 250.0);
  EXPECT_EQ(host.state.position[1], 210);
  EXPECT_EQ(host.state.position[3], 100);

  // Each servo's frames tick by tick: past its start and before its stop, no position is held
  // for longer than its taught speed (0.6 and 0.4 positions a tick) makes it.
  for (const auto& [servo, mostTicks] : {std::pair{1, 2}, std::pair{3, 3}}) {
    std::vector<microseconds> at;
    for (size_t w = 0; w < host.sent.size(); ++w) {
      for (size_t i = 1; i < host.sent[w].size(); i += kFrameSize) {
        if (static_cast<uint8_t>(host.sent[w][i]) == kAddressOffset + servo) {
          at.push_back(host.sentAt[w]);
        }
      }
    }
    ASSERT_GT(at.size(), 60u) << servo;
    for (size_t k = 5; k + 5 < at.size(); ++k) {
      EXPECT_LE(at[k] - at[k - 1], mostTicks * 20ms) << "servo " << servo << " at " << k;
    }
  }
}

}  // namespace
