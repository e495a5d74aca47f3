#include "table_check.h"

#include <gtest/gtest.h>

#include "playback.h"

namespace {

TEST(TableCheck, FindsTheMoveWhoseSweepDipsUnderThePlaneEvenWithBothEndsAbove) {
  // H 5, L1 10, L2 10, L3 5; the upper arm up, the forearm leaning 45 degrees down: the hand,
  // swung from -45 to -135 degrees, points straight down half way, 5 cm below the wrist.
  const Workspace ws{{5, 10, 10, 5}, {{0}, {0, 254, 254, 254, 254, 254, 254}, {}}, 3.5f};
  ServoState start;
  SetStartPositions(start);
  start.position[2] = 63;
  struct Case {
    std::vector<int> wrist;  // M;4;value lines
    int line;                // 0: no crossing
  };
  for (const Case& c : {Case{{127, 0}, 2}, Case{{110}, 0}, Case{{254, 0}, 2}}) {
    TRoboPath script;
    for (int value : c.wrist) RecordCommand(script, 'M', 4, static_cast<uint8_t>(value));
    const auto crossing = FindTableCrossing(script, start, ws);
    ASSERT_EQ(crossing.has_value(), c.line != 0) << c.wrist.back();
    if (!crossing) continue;
    EXPECT_EQ(crossing->line, c.line);
    EXPECT_NEAR(crossing->toolY, 7.89 - 5, 0.05);  // the lowest point, not an end
  }
  // Under the table already (the joints took it there), a move that rises is let through.
  Workspace high = ws;
  high.minToolY = 6;
  TRoboPath rise;
  RecordCommand(rise, 'M', 4, 127);
  start.position[4] = 70;
  EXPECT_FALSE(FindTableCrossing(rise, start, high).has_value());
}

}  // namespace
