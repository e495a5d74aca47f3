#include <gtest/gtest.h>

#include "fake_arm.h"
#include "playback.h"
#include "playing_time.h"

namespace {

TEST(PlayingTime, EachCommandWaitsAsPlaybackDoes) {
  GateSettings settings = TestGateSettings(false);
  settings.workspace.tables.Maxval[2] = 200;
  Pose start{};
  start.fill(127);
  start[3] = 100;
  TRoboPath script;
  RecordCommand(script, 'M', 1, 150);  // 23 steps, and the pause after the write
  RecordCommand(script, 'M', 2, 250);  // to the raw 250 although it stops at 200
  RecordCommand(script, 'M', 2, 200);  // already there
  RecordCommand(script, 'P', 0, 3);
  RecordCommand(script, 'm', 1, 5);  // skipped, as is servo 9
  RecordCommand(script, 'M', 9, 5);
  RecordCommand(script, 'M', 3, 90);  // from where the start has it
  const std::vector<int64_t> waits = CommandWaits(script, start, settings);
  EXPECT_EQ(waits, (std::vector<int64_t>{462, 2462, 2, 3000, 0, 0, 202}));
  EXPECT_EQ(WaitsLeft(waits), (std::vector<int64_t>{6128, 5666, 3204, 3202, 202, 202, 202, 0}));
  // At the speed played: half the waits but not the pauses after the writes.
  EXPECT_EQ(CommandWaits(script, start, settings, 200),
            (std::vector<int64_t>{232, 1232, 2, 1500, 0, 0, 102}));

  // Smooth, the first two lines are one move of 35 ticks (servo 1's 23 steps at 50 a second
  // on the ease curve: 1.5 x 23 / 50 s), counted to its last line; servo 2 already stands at
  // its limit; the last move takes one tick and the pause after its write.
  settings.motion.smooth = true;
  settings.motion.speed[1] = 50;
  EXPECT_EQ(CommandWaits(script, start, settings),
            (std::vector<int64_t>{0, 700, 0, 3000, 0, 0, 22}));
}

TEST(PlayingTime, AnEmptyScriptTakesNoTime) {
  const std::vector<int64_t> waits = CommandWaits(TRoboPath{}, Pose{}, GateSettings{});
  EXPECT_TRUE(waits.empty());
  EXPECT_EQ(WaitsLeft(waits), std::vector<int64_t>{0});
}

}  // namespace
