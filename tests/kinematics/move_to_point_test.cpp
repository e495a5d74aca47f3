#include "move_to_point.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <string>

#include "errors.h"

namespace {

struct Arm {
  ArmGeometry geometry{5, 10, 10, 5};
  ServoState state;
  ServoTables tables;
  Arm() {
    for (int i = 1; i <= kServoCount; ++i) {
      state.position[i] = 127;
      tables.Maxval[i] = 254;
      tables.Address[i] = i;
    }
    state.servoIncr = 3;
    state.direction[2] = -1;
    state.direction[5] = 1;
  }
  ByteString Move(const char* x, const char* y, const char* z) {
    return MoveToPoint(x, y, z, geometry, state, tables);
  }
  // A tick's step and clamp, then its frames with horizontal mode on.
  ByteString HorizontalTick() {
    for (int i = 1; i <= kServoCount; ++i) {
      StepServo(state, i);
      ClampServo(state, tables, i);
    }
    return BuildTickFrames(state, tables, [&] { return HorizontalFrame(state, tables); });
  }
};

TEST(MoveToPoint, SetsServosOneToFourAndClampsAllSixFrames) {
  Arm arm;
  arm.tables.Minval[2] = 90;
  arm.tables.Maxval[6] = 100;
  arm.tables.Address[3] = 257;  // only the low byte goes out
  const ByteString frames = arm.Move("15", "5", "0");
  const int expected[] = {0, 169, 90, 0, 212, 127, 100};
  ByteString wire;
  for (int i = 1; i <= kServoCount; ++i) {
    EXPECT_EQ(arm.state.position[i], expected[i]) << "servo " << i;
    wire += EncodeServoFrame(i == 3 ? 1 : i, expected[i]);
  }
  EXPECT_EQ(frames, wire);
}

TEST(MoveToPoint, StopsJoggingServosOneToFourOnly) {
  Arm arm;
  for (int i = 1; i <= kServoCount; ++i) arm.state.direction[i] = i % 2 ? 1 : -1;
  arm.Move("15", "5", "0");
  const int expected[] = {0, 0, 0, 0, 0, 1, -1};
  for (int i = 1; i <= kServoCount; ++i) EXPECT_EQ(arm.state.direction[i], expected[i]) << i;
}

TEST(MoveToPoint, AcceptsTheCoordinateSyntaxes) {
  Arm arm;
  arm.Move("40", "+5", "0");
  EXPECT_EQ(arm.state.position[1], 254);
  EXPECT_EQ(arm.state.position[2], 0);
  EXPECT_EQ(arm.state.position[4], 254);
  arm.Move("$F", " 5", "0x0");
  EXPECT_EQ(arm.state.position[1], 169);
  arm.Move("0", "5", "x14");
  EXPECT_EQ(arm.state.position[3], 127);  // the plane turned towards +Z
  arm.Move("15.5", "5.0", "-0.0");
  EXPECT_EQ(arm.state.position[1], 172);
}

TEST(MoveToPoint, FailuresLeaveTheStateAlone) {
  struct Case {
    const char *x, *y, *z;
    float L1;
    const char* message;
  };
  for (const Case c : {Case{"5", "5", "0", 10, "Invalid floating point operation"},
                       Case{"16", "5", "0", 0, "Floating point division by zero"},
                       Case{"15", "abc", "0", 10, "'abc' is not a valid integer value"},
                       Case{"", "x", "0", 10, "'' is not a valid integer value"},
                       Case{"15", "5", "-$1", 10, "'-$1' is not a valid integer value"}}) {
    Arm arm;
    arm.geometry.L1 = c.L1;
    const ServoState before = arm.state;
    try {
      arm.Move(c.x, c.y, c.z);
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(0, memcmp(before.position, arm.state.position, sizeof before.position));
    EXPECT_EQ(0, memcmp(before.direction, arm.state.direction, sizeof before.direction));
  }
}

TEST(MoveToPoint, AnAngleBeyondTheTravelStopsAtItsOwnEnd) {
  // The shipped geometry: a near point folds the hand up past +pi/2, a far one stretches the
  // shoulder beyond its travel. Wrapped, those went to 14 and 5: the far end of each servo.
  Arm arm;
  arm.geometry = {8, 12, 12, 6};
  arm.Move("15", "0", "0");
  EXPECT_EQ(arm.state.position[4], 254);
  arm.Move("99", "0", "0");
  EXPECT_EQ(arm.state.position[1], 254);
}

// The position the angle stands for before any limit, in servo steps.
long double UnlimitedSteps(float angle) {
  const long double pi = std::numbers::pi_v<long double>;
  return std::nearbyint((angle + pi / 2) / (pi / 254));
}

TEST(MoveToPoint, NoPositionLiesOnTheFarSideOfItsAngle) {
  std::mt19937 rng(1307);
  int beyond = 0;
  for (int i = 0; i < 20000; ++i) {
    Arm arm;
    arm.geometry = {float(rng() % 21), float(1 + rng() % 25), float(1 + rng() % 25),
                    float(rng() % 15)};
    const std::string x = std::to_string(int(rng() % 200) - 99);
    const std::string y = std::to_string(int(rng() % 200) - 99);
    const std::string z = std::to_string(int(rng() % 200) - 99);
    const CylindricalPoint c = CartesianToCylindrical(std::stof(x), std::stof(y), std::stof(z));
    ArmAngles a;
    try {
      a = SolveArm(0, c.reach, c.height, arm.geometry);
    } catch (const EMathError&) {
      continue;  // the wrist on the shoulder: no Move
    }
    arm.Move(x.c_str(), y.c_str(), z.c_str());
    const std::pair<int, float> joints[] = {{3, BaseAngleOf(std::stof(x), std::stof(z))},
                                            {1, -a.shoulderAngle},
                                            {2, a.elbowAngle},
                                            {4, a.wristAngle}};
    for (const auto& [servo, angle] : joints) {
      const long double n = UnlimitedSteps(angle);
      const int p = arm.state.position[servo];
      SCOPED_TRACE("servo " + std::to_string(servo) + " to " + x + ", " + y + ", " + z);
      // Same side of the middle as the angle, and never further out than it.
      ASSERT_EQ(p > 127, n > 127);
      ASSERT_EQ(p < 127, n < 127);
      ASSERT_LE(std::fabs(p - 127.0L), std::fabs(n - 127));
      if (n >= 0 && n <= 254) {
        ASSERT_EQ(p, n);
      } else {
        ++beyond;
      }
    }
  }
  EXPECT_GT(beyond, 1000) << "the targets should often ask for more than the travel";
}

TEST(MoveToPoint, AConversionErrorNamesItsField) {
  const std::pair<std::array<const char*, 3>, const char*> cases[] = {
      {{"x", "5", "0"}, "field X"}, {{"15", "", "0"}, "field Y"}, {{"15", "5", "-"}, "field Z"}};
  for (const auto& [fields, detail] : cases) {
    Arm arm;
    try {
      arm.Move(fields[0], fields[1], fields[2]);
      ADD_FAILURE() << "no error for " << detail;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.detail(), detail);
    }
  }
}

TEST(HorizontalFrame, WristFollowsOnlyWhileShoulderOrElbowMove) {
  Arm arm;
  arm.state.direction[2] = 0;
  arm.state.direction[4] = 1;
  EXPECT_EQ(arm.HorizontalTick(), EncodeServoFrame(5, 130));  // servo 4 steps but is not sent
  EXPECT_EQ(arm.state.position[4], 130);
  arm.state.direction[1] = 1;
  arm.state.position[2] = 100;
  EXPECT_EQ(arm.HorizontalTick(),
            EncodeServoFrame(1, 130) + EncodeServoFrame(4, 157) + EncodeServoFrame(5, 133));
  EXPECT_EQ(arm.state.position[4], 130 - 100 + 127);
}

TEST(HorizontalFrame, ClampsMinimumThenMaximum) {
  struct Case {
    int shoulder, elbow, minval, maxval, expected;
  };
  for (const Case c :
       {Case{200, 100, 0, 254, 227}, Case{200, 100, 0, 200, 200}, Case{0, 254, -200, 254, -127},
        Case{0, 254, 0, 254, 0}, Case{200, 100, 250, 240, 240}}) {
    Arm arm;
    arm.state.position[1] = c.shoulder;
    arm.state.position[2] = c.elbow;
    arm.tables.Minval[4] = c.minval;
    arm.tables.Maxval[4] = c.maxval;
    EXPECT_EQ(HorizontalFrame(arm.state, arm.tables),
              EncodeServoFrame(4, static_cast<uint8_t>(c.expected)));
    EXPECT_EQ(arm.state.position[4], c.expected);
  }
}

}  // namespace
