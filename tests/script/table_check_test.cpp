#include "table_check.h"

#include <gtest/gtest.h>

#include "playback.h"
#include "timeline_model.h"

namespace {

// H 5, L1 10, L2 10, L3 5; the upper arm up, the forearm leaning 45 degrees down: the hand,
// swung from -45 to -135 degrees, points straight down half way, 5 cm below the wrist.
GateSettings Leaning(bool smooth) {
  GateSettings settings;
  settings.workspace = {{5, 10, 10, 5}, {{0}, {0, 254, 254, 254, 254, 254, 254}, {}}, 3.5f};
  settings.motion.smooth = smooth;
  return settings;
}

TEST(TableCheck, FindsTheMoveWhoseWayDipsUnderThePlaneEvenWithBothEndsAbove) {
  Pose start{};
  start.fill(127);
  start[2] = 63;
  struct Case {
    bool smooth;
    std::vector<int> wrist;  // M;4;value lines
    int line;                // 0: no crossing
  };
  for (const Case& c : {Case{false, {127, 0}, 2}, Case{false, {110}, 0}, Case{false, {254, 0}, 2},
                        Case{true, {127, 0}, 2}, Case{true, {110}, 0}}) {
    TRoboPath script;
    for (int value : c.wrist) RecordCommand(script, 'M', 4, static_cast<uint8_t>(value));
    const GateSettings settings = Leaning(c.smooth);
    const auto crossing = FindTableCrossing(script, start, settings);
    ASSERT_EQ(crossing.has_value(), c.line != 0) << c.wrist.back() << " smooth " << c.smooth;
    // The timeline marks where the played path goes under, as Play refuses it.
    const TimelineModel model =
        BuildTimelineModel(script, start, settings, 100, TablePlaneOf(settings.workspace));
    EXPECT_EQ(!model.crossings.empty(), crossing.has_value());
    if (!crossing) continue;
    EXPECT_EQ(crossing->line, c.line);
    EXPECT_NEAR(crossing->toolY, 7.89 - 5, 0.05);  // the lowest point, not an end
  }
  // Under the table already (the joints took it there), a move that rises is let through.
  GateSettings high = Leaning(false);
  high.workspace.minToolY = 6;
  TRoboPath rise;
  RecordCommand(rise, 'M', 4, 127);
  start[4] = 70;
  EXPECT_FALSE(FindTableCrossing(rise, start, high).has_value());
}

}  // namespace
