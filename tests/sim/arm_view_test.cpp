#include <gtest/gtest.h>

#include "family_board.h"

#include <QSignalSpy>
#include <QTest>

#include "arm_view.h"
#include "virtual_controller.h"

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

TEST(ArmView, DraggingAJointTurnsItsServoAsAHandWould) {
  TArmView view;
  view.SetLinks(5, 10, 10, 5);
  const int32_t positions[7] = {0, 127, 127, 60, 127, 127, 127};
  view.SetServos(positions, 0, 0);
  QSignalSpy moved(&view, &TArmView::handMoved);
  for (const int servo : {1, 2, 4, 3}) {
    SCOPED_TRACE(servo);
    int32_t target[7];
    std::copy(positions, positions + 7, target);
    target[servo] = 200;
    QTest::mousePress(&view, Qt::LeftButton, {}, view.HandlePoint(servo, positions).toPoint());
    QTest::mouseMove(&view, view.HandlePoint(servo, target).toPoint());
    QTest::mouseRelease(&view, Qt::LeftButton, {}, view.HandlePoint(servo, target).toPoint());
    ASSERT_FALSE(moved.isEmpty());
    const QList<QVariant> last = moved.takeLast();
    EXPECT_EQ(last.at(0).toInt(), servo);
    EXPECT_NEAR(last.at(1).toInt(), 200, 3);  // to the pixel the pointer lands on
    moved.clear();
  }
  // A press away from every joint takes none.
  QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(2, 2));
  QTest::mouseMove(&view, QPoint(100, 100));
  EXPECT_TRUE(moved.isEmpty());
}

TEST(VirtualController, OnlyALimpBusServoGivesWayToTheHand) {
  TVirtualServoController c;
  c.SetBoard(FamilyBoard("sts"));
  EXPECT_FALSE(c.MoveByHand(2, 40));
  // Torque off on the bus: the servo gives way and the view shows it limp where it was left.
  c.Take(std::string("\xFF\xFF\x02\x04\x03\x28\x00\xCE", 8));
  EXPECT_TRUE(c.MoveByHand(2, 40));
  EXPECT_EQ(c.State().position[2], 40);
  EXPECT_TRUE(c.State().limp[2]);
  c.SetBoard(FamilyBoard("ssc32"));
  EXPECT_FALSE(c.MoveByHand(2, 90));
  EXPECT_EQ(c.State().position[2], 40);
}

}  // namespace
