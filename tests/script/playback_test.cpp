#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "playback.h"

namespace {

// A window stand-in that records what playback asks of it.
class FakeHost : public PlaybackHost {
 public:
  FakeHost() {
    for (int i = 1; i <= kServoCount; ++i) {
      state.position[i] = 127;
      tables.Minval[i] = 0;
      tables.Maxval[i] = 254;
      tables.Address[i] = i;
    }
  }
  ServoState& servoState() override { return state; }
  const ServoTables& servoTables() const override { return tables; }
  void StopTick() override { ticking = false; }
  void StartTick() override { ticking = true; }
  void UpdateGauges() override { ++gaugeUpdates; }
  void SendFrames(const ByteString& frames) override {
    if (failWrites) throw std::runtime_error("WriteFile function failed");
    sent.push_back(frames);
    ticking = true;  // the one path to the line restarts the tick
  }
  void ShowPlaying(bool on) override { playing = on; }
  void PumpEvents() override {
    ++pumps;
    if (onPump) onPump();
  }
  void Sleep(int64_t ms) override { sleeps.push_back(ms); }

  ServoState state;
  ServoTables tables;
  bool ticking = true;
  bool playing = false;
  bool failWrites = false;
  int gaugeUpdates = 0;
  int pumps = 0;
  std::function<void()> onPump;
  std::vector<ByteString> sent;
  std::vector<int64_t> sleeps;
};

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
  // to the raw 250 although the arm stops at its limit.
  EXPECT_EQ(host.sleeps, (std::vector<int64_t>{1000, 1000, 0, 2460, 255000}));
  EXPECT_EQ(host.state.position[2], 200);
  EXPECT_EQ(host.pumps, 10);
  EXPECT_EQ(host.state.runState, 1);
  EXPECT_FALSE(host.playing);
  EXPECT_TRUE(host.ticking);
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
  EXPECT_EQ(host.sleeps, std::vector<int64_t>{10000});  // the pause is not shortened
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.state.runState, 1);
  EXPECT_TRUE(host.ticking);
}

TEST(Playback, EmptyScriptGoesToPlayingAndStraightBack) {
  FakeHost host;
  host.ticking = false;
  TRoboPath script;
  int stop = 1;
  PlayScript(script, host, stop);
  EXPECT_EQ(stop, 0);
  EXPECT_EQ(host.state.runState, 1);
  EXPECT_FALSE(host.playing);
  EXPECT_TRUE(host.ticking);
}

TEST(Playback, AnErrorRestoresTheIdleLookAndLeavesTheTickStopped) {
  FakeHost host;
  host.failWrites = true;
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

}  // namespace
