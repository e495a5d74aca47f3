#include <gtest/gtest.h>

#include "gauge_geometry.h"

namespace {

void ExpectNeedle(std::optional<NeedleLine> line, int px, int py, int ex, int ey) {
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->pivotX, px);
  EXPECT_EQ(line->pivotY, py);
  EXPECT_EQ(line->endX, ex);
  EXPECT_EQ(line->endY, ey);
}

TEST(GaugeNeedle, PivotAndEndsOnBothGaugeSizes) {
  ExpectNeedle(GaugeNeedle(53, 52, 50), 26, 27, 26, 4);
  ExpectNeedle(GaugeNeedle(52, 52, 50), 26, 27, 26, 4);
  ExpectNeedle(GaugeNeedle(53, 52, 0), 26, 27, 50, 27);
  ExpectNeedle(GaugeNeedle(52, 52, 0), 26, 27, 49, 27);
  ExpectNeedle(GaugeNeedle(52, 52, 100), 26, 27, 3, 27);
  // 25: 45 degrees, 23 * cos = 16.26 -> 16.
  ExpectNeedle(GaugeNeedle(52, 52, 25), 26, 27, 42, 11);
}

TEST(GaugeNeedle, OutOfRangeDrawsNothing) {
  EXPECT_FALSE(GaugeNeedle(52, 52, -1).has_value());
  EXPECT_FALSE(GaugeNeedle(52, 52, 101).has_value());
  EXPECT_FALSE(GaugeNeedle(52, 52, GaugeValue(300)).has_value());
}

TEST(GaugeValue, MapsPositionsToTheScale) {
  EXPECT_EQ(GaugeValue(0), 0);
  EXPECT_EQ(GaugeValue(127), 50);
  EXPECT_EQ(GaugeValue(254), 100);
  EXPECT_EQ(GaugeValue(255), 100);
  EXPECT_EQ(GaugeValue(256), 101);
  EXPECT_EQ(GaugeValue(300), 118);
  EXPECT_EQ(GaugeValue(-5), -2);
}

}  // namespace
