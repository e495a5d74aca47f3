#include <gtest/gtest.h>

#include "arm_view.h"

namespace {

TEST(ArmView, TheArmsWholeReachFillsTheSideViewWhateverItsLinks) {
  const struct {
    double H, L1, L2, L3;
  } arms[] = {{5, 10, 10, 5}, {40, 100, 90, 30}, {0, 1, 1, 0}, {30, 4, 3, 1}};
  for (const auto& a : arms) {
    SCOPED_TRACE(testing::Message() << "H " << a.H << " L1 " << a.L1);
    TArmView view;
    view.SetLinks(a.H, a.L1, a.L2, a.L3);
    const double r = a.L1 + a.L2 + a.L3;
    const QRectF side = view.sideView();
    const QPointF front = view.SidePoint(r, a.H);
    const QPointF back = view.SidePoint(-r, a.H);
    const QPointF up = view.SidePoint(0, a.H + r);
    const QPointF ground = view.SidePoint(0, std::min(0.0, a.H - r));
    for (const QPointF& p : {front, back, up, ground}) EXPECT_TRUE(side.contains(p));
    // Either the width or the height is used to within the margins.
    const double used =
        std::max((front.x() - back.x()) / side.width(), (ground.y() - up.y()) / side.height());
    EXPECT_GT(used, 0.9);
    EXPECT_LT(std::abs((front.x() + back.x()) / 2 - side.center().x()), 1);
  }
}

TEST(ArmView, ShowsTheToolPointOfTheDecodedPositions) {
  TArmView view;
  view.SetLinks(5, 10, 10, 5);
  // What a Move to (15, 5, 0) sends.
  const int32_t positions[7] = {0, 169, 85, 0, 212, 127, 127};
  view.SetServos(positions, 6, 0);
  const ToolPoint p = view.toolPoint();
  EXPECT_NEAR(p.X, 15, 0.3);
  EXPECT_NEAR(p.Y, 5, 0.3);
  EXPECT_NEAR(p.Z, 0, 0.3);
  EXPECT_EQ(view.position(4), 212);
}

}  // namespace
