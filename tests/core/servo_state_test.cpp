#include <gtest/gtest.h>

#include "servo_state.h"

namespace {

struct Arm {
  ServoState state;
  ServoTables tables;
  Arm() {
    for (int i = 1; i <= kServoCount; ++i) {
      state.position[i] = 127;
      tables.Minval[i] = 0;
      tables.Maxval[i] = 254;
      tables.Address[i] = i;
    }
  }
  // Steps and clamps as a tick does, then builds its frames.
  ByteString Tick(const std::function<ByteString()>& horizontal = {}) {
    for (int i = 1; i <= kServoCount; ++i) {
      StepServo(state, i);
      ClampServo(state, tables, i);
    }
    return BuildTickFrames(state, tables, horizontal);
  }
};

TEST(ServoTick, EachJoggedServoStepsAndSendsOneFrame) {
  for (int servo = 1; servo <= kServoCount; ++servo) {
    Arm arm;
    arm.state.servoIncr = 2;
    arm.state.direction[servo] = servo % 2 ? 1 : -1;
    const int expected = servo % 2 ? 129 : 125;
    EXPECT_EQ(arm.Tick(), EncodeServoFrame(servo, expected)) << "servo " << servo;
    EXPECT_EQ(arm.state.position[servo], expected);
    EXPECT_EQ(arm.Tick().size(), 4u);
  }
}

TEST(ServoTick, StopJoggingAndTheStartPositionsStillEveryServo) {
  Arm arm;
  for (int i = 1; i <= kServoCount; ++i) arm.state.direction[i] = 1;
  StopJogging(arm.state);
  EXPECT_TRUE(arm.Tick().empty());
  for (int i = 1; i <= kServoCount; ++i) arm.state.direction[i] = -1;
  arm.state.position[0] = 9;
  SetStartPositions(arm.state);
  EXPECT_TRUE(arm.Tick().empty());
  EXPECT_EQ(arm.state.position[0], 0);
  for (int i = 1; i <= kServoCount; ++i) EXPECT_EQ(arm.state.position[i], kStartPosition) << i;
}

TEST(ServoTick, NothingMovesNothingSent) {
  Arm arm;
  arm.state.servoIncr = 2;
  EXPECT_TRUE(arm.Tick().empty());
}

TEST(ServoTick, ServoAtItsLimitKeepsSendingTheLimit) {
  Arm arm;
  arm.state.servoIncr = 5;
  arm.state.direction[1] = 1;
  arm.state.position[1] = 252;
  EXPECT_EQ(arm.Tick(), EncodeServoFrame(1, 254));
  EXPECT_EQ(arm.Tick(), EncodeServoFrame(1, 254));
}

TEST(ServoTick, ZeroIncrementSendsTheSamePositionEveryTick) {
  Arm arm;
  arm.state.direction[3] = -1;
  EXPECT_EQ(arm.Tick(), EncodeServoFrame(3, 127));
  EXPECT_EQ(arm.state.position[3], 127);
}

TEST(ServoTick, ClampPullsPositionsInWithoutSending) {
  Arm arm;
  arm.tables.Minval[2] = 150;
  arm.tables.Minval[5] = 200;
  arm.tables.Maxval[5] = 100;
  EXPECT_TRUE(arm.Tick().empty());
  EXPECT_EQ(arm.state.position[2], 150);
  EXPECT_EQ(arm.state.position[5], 100);  // the maximum is applied last
}

TEST(ServoTick, FramesComeInServoOrderWithTheHorizontalHook) {
  Arm arm;
  arm.state.servoIncr = 1;
  arm.state.direction[5] = 1;
  arm.state.direction[1] = 1;
  arm.state.direction[4] = 1;
  const ByteString hook = EncodeServoFrame(9, 9);
  const ByteString frames = arm.Tick([&] { return hook; });
  EXPECT_EQ(frames, EncodeServoFrame(1, 128) + hook + EncodeServoFrame(5, 128));
  EXPECT_EQ(arm.state.position[4], 128);  // servo 4 still steps; only the hook sends it
  EXPECT_EQ(arm.Tick([] { return ByteString(); }),
            EncodeServoFrame(1, 129) + EncodeServoFrame(5, 129));
}

TEST(ServoTick, PositionsWrapOnTheWireAboveByteRange) {
  Arm arm;
  arm.tables.Maxval[1] = 300;
  arm.state.servoIncr = 200;
  arm.state.direction[1] = 1;
  EXPECT_EQ(arm.Tick(), EncodeServoFrame(1, static_cast<uint8_t>(300)));
}

}  // namespace
