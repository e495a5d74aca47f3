#include "workspace.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>

#include "move_to_point.h"

namespace {

// The shipped arm: H 8, L1 12, L2 12, L3 6, limits 0..254, the table at Y 0.
Workspace Shipped() {
  Workspace ws{{8, 12, 12, 6}, {}, 0};
  for (int i = 1; i <= kServoCount; ++i) ws.tables.Maxval[i] = 254;
  return ws;
}

TEST(PlanMove, RefusesEachKindOfTargetAndAcceptsOnesJustInsideEachEdge) {
  struct Case {
    ToolPoint target;
    std::function<void(Workspace&)> change;
    Refusal refusal;
    const char* reason;  // nullptr: only the kind is checked
  };
  const auto none = [](Workspace&) {};
  const Case cases[] = {
      {{15, 5, 0},
       [](Workspace& w) { w.arm.L1 = 0; },
       Refusal::GeometryNotSet,
       "The arm's geometry is not set: L1 = 0"},
      {{15, 5, 0},
       [](Workspace& w) { w.arm.L2 = 0; },
       Refusal::GeometryNotSet,
       "The arm's geometry is not set: L2 = 0"},
      {{15, -1, 0},
       none,
       Refusal::BelowTable,
       "Below the table: (15, -1, 0) is under the table plane at Y = 0 cm (minToolY)"},
      {{20, 4.5, 0}, [](Workspace& w) { w.minToolY = 4.75f; }, Refusal::BelowTable, nullptr},
      {{10, 5, -5}, none, Refusal::BaseTurn, nullptr},
      {{-0.5, 5, -20}, none, Refusal::BaseTurn, nullptr},
      {{99, 0, 0},
       none,
       Refusal::OutOfReach,
       "Out of reach: (99, 0, 0) is 99.3 cm from the shoulder; the arm reaches 30.0 cm"},
      {{30.1, 8, 0}, none, Refusal::OutOfReach, nullptr},
      {{7, 8, 0},
       [](Workspace& w) { w.arm.L2 = 6; },
       Refusal::TooNear,
       "Too near: (7, 8, 0) puts the wrist 1.0 cm from the shoulder; the arm folds to 6.0 cm at "
       "the least"},
      {{15, 0, 0}, none, Refusal::ServoLimit, "Servo 4 would need position 270; its limit is 254"},
      {{15.5, 5, 0},
       [](Workspace& w) { w.tables.Maxval[2] = 60; },
       Refusal::ServoLimit,
       "Servo 2 would need position 69; its limit is 60"},
      {{15, 5, 0},
       [](Workspace& w) { w.tables.Minval[3] = 10; },
       Refusal::ServoLimit,
       "Servo 3 would need position 0; its limit is 10"},
      // Just inside: on the table plane, at the end of the reach, at either end of the base's
      // turn, at a servo's limit.
      {{20, 0, 0}, none, Refusal::None, ""},
      {{20, 4.75, 0}, [](Workspace& w) { w.minToolY = 4.75f; }, Refusal::None, ""},
      {{29.98, 8, 0}, none, Refusal::None, ""},
      {{20, 5, 0}, none, Refusal::None, ""},
      {{-20, 2, 0}, none, Refusal::None, ""},
      {{15, 5, 0}, [](Workspace& w) { w.tables.Maxval[2] = 66; }, Refusal::None, ""},
  };
  for (const Case& c : cases) {
    Workspace ws = Shipped();
    c.change(ws);
    SCOPED_TRACE(FormatPoint(c.target));
    const MovePlan plan = PlanMove(c.target, ws);
    EXPECT_EQ(plan.refusal, c.refusal);
    if (c.reason) {
      EXPECT_EQ(plan.reason, c.reason);
    }
    EXPECT_EQ(plan.solved, c.refusal != Refusal::GeometryNotSet);
  }
}

TEST(PlanMove, ReachableTargetsGetTheServoPositionsMoveSentBefore) {
  const Workspace ws = Shipped();
  int accepted = 0;
  for (float x = 1; x <= 31; x += 1.5f) {
    for (float y = -2; y <= 32; y += 2.5f) {
      for (float z = 0; z <= 30; z += 3) {
        const MovePlan plan = PlanMove({x, y, z}, ws);
        if (!plan.accepted()) continue;
        ++accepted;
        const CylindricalPoint c = CartesianToCylindrical(x, y, z);
        const ArmAngles a = SolveArm(0, c.reach, c.height, ws.arm);
        const int before[] = {0, AngleToPosition(-a.shoulderAngle), AngleToPosition(a.elbowAngle),
                              AngleToPosition(c.baseAngle), AngleToPosition(a.wristAngle)};
        for (int i = 1; i <= 4; ++i) {
          ASSERT_EQ(plan.position[i], before[i]) << FormatPoint({x, y, z}) << " servo " << i;
        }
      }
    }
  }
  EXPECT_GT(accepted, 300);
}

TEST(PlanMove, ThePlaneTurnsTowardsTargetsOnTheFarSideOfZ) {
  // Once mirrored onto (-X, -Z) or sent along -X for X = 0; the tool point now gets there.
  const Workspace ws = Shipped();
  for (const ToolPoint t : {ToolPoint{-15, 5, 0}, ToolPoint{0, 5, 20}, ToolPoint{-12, 9, 14}}) {
    const MovePlan plan = PlanMove(t, ws);
    ASSERT_TRUE(plan.accepted()) << plan.reason;
    const ToolPoint at = ToolPointFromPositions(plan.position, ws.arm);
    EXPECT_NEAR(at.X, t.X, 0.3) << FormatPoint(t);
    EXPECT_NEAR(at.Y, t.Y, 0.3) << FormatPoint(t);
    EXPECT_NEAR(at.Z, t.Z, 0.3) << FormatPoint(t);
  }
}

TEST(MoveWithin, RefusesAndSendsNothingOrClampsWhenAsked) {
  const Workspace ws = Shipped();
  ServoState state;
  SetStartPositions(state);
  state.direction[1] = 1;
  const ServoState before = state;
  EXPECT_THROW(MoveWithin("99", "0", "0", ws, state, MoveRule::Refuse), EMoveRefused);
  EXPECT_EQ(0, std::memcmp(&before.position, &state.position, sizeof state.position));
  EXPECT_EQ(state.direction[1], 1);
  // Clamped, a point under the table is raised onto it.
  MovePlan plan;
  EXPECT_EQ(MoveWithin("24", "-3", "0", ws, state, MoveRule::Clamp, &plan).size(), 24u);
  EXPECT_EQ(plan.refusal, Refusal::BelowTable);
  EXPECT_NEAR(ToolPointFromPositions(state.position, ws.arm).Y, 0, 0.3);
  // Never under it, however the whole steps and the limits fall: on the plane or refused.
  for (const auto& [x, y, z] : {std::array<const char*, 3>{"15", "-3", "0"},
                                {"5", "-3", "5"},
                                {"24", "-3", "0"},
                                {"10", "0", "3"}}) {
    ServoState clamped = before;
    try {
      MoveWithin(x, y, z, ws, clamped, MoveRule::Clamp);
    } catch (const EMoveRefused&) {
      continue;
    }
    const double at = ToolPointFromPositions(clamped.position, ws.arm).Y;
    EXPECT_GE(at, ws.minToolY) << x << " " << y << " " << z;
    EXPECT_LT(at, ws.minToolY + 1.5) << x << " " << y << " " << z;
  }
  Workspace unset = ws;
  unset.arm.L1 = 0;
  EXPECT_THROW(MoveWithin("15", "5", "0", unset, state, MoveRule::Clamp), EMoveRefused);
}

TEST(ParseCoordinate, TakesDecimalsBesideTheIntegerSyntaxes) {
  const std::pair<const char*, float> good[] = {
      {"15.5", 15.5f}, {"-10.25", -10.25f}, {" .5", 0.5f}, {"+5.", 5},  {"-100.25", -100.25f},
      {"7", 7},        {"$F", 15},          {"x14", 20},   {"0x10", 16}};
  for (const auto& [text, value] : good) EXPECT_EQ(ParseCoordinate(text), value) << text;
  for (const char* bad :
       {"", "-", ".", "1.2.3", "1e3", "1,5", "-$1", "5 ", "- 5.5", "99999999999"}) {
    EXPECT_FALSE(ParseCoordinate(bad).has_value()) << bad;
  }
}

}  // namespace
