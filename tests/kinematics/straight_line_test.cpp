#include "straight_line.h"

#include <gtest/gtest.h>

#include <random>

namespace {

double FromSegment(const ToolPoint& p, const ToolPoint& a, const ToolPoint& b) {
  const double length = Distance(a, b);
  if (length == 0) return Distance(p, a);
  const double s =
      ((p.X - a.X) * (b.X - a.X) + (p.Y - a.Y) * (b.Y - a.Y) + (p.Z - a.Z) * (b.Z - a.Z)) /
      (length * length);
  const double t = std::clamp(s, 0.0, 1.0);
  return Distance(p, {a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t, a.Z + (b.Z - a.Z) * t});
}

TEST(PlanLine, EveryTickOfAnAcceptedLineLiesOnItInsideTheWorkspace) {
  Workspace ws{{8, 12, 12, 6}, {}, 2};
  for (int i = 1; i <= kServoCount; ++i) ws.tables.Maxval[i] = 254;
  std::mt19937 rng(3207);
  auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (rng() / 4294967296.0); };
  int accepted = 0, refused = 0;
  for (int n = 0; n < 600; ++n) {
    const ToolPoint a{uniform(-25, 25), uniform(-2, 30), uniform(0, 25)};
    const ToolPoint b{uniform(-25, 25), uniform(-2, 30), uniform(0, 25)};
    if (!PlanMove(a, ws).accepted() || !PlanMove(b, ws).accepted()) continue;
    const int ticks = LineTicks(Distance(a, b), 10);
    const LinePlan line = PlanLine(a, b, ws, ticks);
    if (!line.refused.accepted()) {
      // Both ends inside, so a point between them is not: it lies on the line.
      ++refused;
      EXPECT_EQ(line.refused.reason.rfind("The line leaves the workspace at (", 0), 0u);
      continue;
    }
    ++accepted;
    ASSERT_EQ(line.points.size(), size_t(ticks));
    EXPECT_LT(Distance(line.points.back(), b), 1e-9);
    for (size_t k = 0; k < line.points.size(); ++k) {
      const ToolPoint& p = line.points[k];
      ASSERT_LT(FromSegment(p, a, b), 0.1) << FormatPoint(a) << " to " << FormatPoint(b);
      const MovePlan plan = PlanMove(p, ws);
      ASSERT_TRUE(plan.accepted()) << plan.reason;
      // The positions sent put the tool there, to the servos' resolution.
      int32_t at[7] = {0,
                       line.positions[k][1],
                       line.positions[k][2],
                       line.positions[k][3],
                       line.positions[k][4],
                       127,
                       127};
      ASSERT_LT(Distance(ToolPointFromPositions(at, ws.arm), p), 0.4);
    }
  }
  EXPECT_GT(accepted, 50);
  EXPECT_GT(refused, 5);
}

}  // namespace
