#include "workspace_jog.h"

#include <gtest/gtest.h>

#include "move_to_point.h"

namespace {

struct JogArm {
  Workspace ws{{8, 12, 12, 6}, {}, 0};
  ServoState state;
  JogArm() {
    for (int i = 1; i <= kServoCount; ++i) ws.tables.Maxval[i] = 254;
    SetStartPositions(state);
    state.servoIncr = 2;
  }
  double ToolY() const { return ToolPointFromPositions(state.position, ws.arm).Y; }
  // One control tick's step, clamp and table check; with the wrist following as in
  // horizontal mode. True when the step was held back.
  bool Tick(bool wristFollows) {
    const ServoState before = state;
    for (int i = 1; i <= kServoCount; ++i) {
      StepServo(state, i);
      ClampServo(state, ws.tables, i);
    }
    const bool held = HoldAboveTable(state, before.position, ws, wristFollows);
    if (wristFollows) HorizontalFrame(state, ws.tables);
    return held;
  }
};

TEST(HoldAboveTable, JoggingDownStopsAtThePlaneAndBackUpMovesAgain) {
  for (const bool wristFollows : {false, true}) {
    SCOPED_TRACE(wristFollows ? "horizontal" : "joints");
    JogArm arm;
    arm.ws.minToolY = 3;
    arm.state.direction[1] = 1;  // the shoulder leans the arm forward and down
    int ticks = 0;
    while (!arm.Tick(wristFollows) && ++ticks < 200) {
    }
    ASSERT_LT(ticks, 200) << "the table never stopped the arm";
    const double y = arm.ToolY();
    EXPECT_GE(y, 3);
    // Within one step: the next one would have gone through.
    JogArm beyond = arm;
    beyond.ws.minToolY = -1000;
    beyond.Tick(wristFollows);
    EXPECT_LT(beyond.ToolY(), 3);
    EXPECT_TRUE(arm.Tick(wristFollows));
    EXPECT_EQ(arm.ToolY(), y);

    arm.state.direction[1] = -1;
    EXPECT_FALSE(arm.Tick(wristFollows));
    EXPECT_GT(arm.ToolY(), y);
  }
}

TEST(ToolJog, ThePointStopsAtTheTableAndTheEdgeAndMovesBackIn) {
  struct Case {
    ToolJogDirection push;
    const char* status;
  };
  for (const Case c : {Case{{0, -1, 0}, "Table reached"}, Case{{1, 0, 0}, "Edge of the workspace"},
                       Case{{0, 0, 1}, "Edge of the workspace"}}) {
    JogArm arm;
    ToolJog jog;
    const ToolPoint start = ToolPointFromPositions(arm.state.position, arm.ws.arm);
    ToolJog::Outcome out;
    int ticks = 0;
    do {
      out = jog.Step(arm.state, c.push, arm.ws, 0.5f);
    } while (out.moved && ++ticks < 400);
    SCOPED_TRACE(c.status);
    ASSERT_GT(ticks, 2);
    ASSERT_LT(ticks, 400);
    EXPECT_EQ(out.status, c.status);
    const ToolPoint at = ToolPointFromPositions(arm.state.position, arm.ws.arm);
    // Only the pushed axis moved (within a servo step), and the hand stayed level.
    if (c.push.x == 0) {
      EXPECT_NEAR(at.X, start.X, 0.4);
    }
    if (c.push.y == 0) {
      EXPECT_NEAR(at.Y, start.Y, 0.4);
    } else {
      EXPECT_NEAR(at.Y, 0, 0.8);
    }
    EXPECT_NEAR(arm.state.position[4], arm.state.position[1] - arm.state.position[2] + 127, 1);

    const ToolJogDirection back{-c.push.x, -c.push.y, -c.push.z};
    out = jog.Step(arm.state, back, arm.ws, 0.5f);
    EXPECT_TRUE(out.moved);
    EXPECT_EQ(out.status, "");
  }
}

}  // namespace
