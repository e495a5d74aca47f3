#include "unMoveLibrary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "errors.h"

namespace {

constexpr double kPi = std::numbers::pi;
const ArmGeometry kArm{5, 10, 10, 5};

std::string MathErrorOf(float reach, const ArmGeometry& arm) {
  try {
    SolveArm(0, reach, 5, arm);
  } catch (const EMathError& e) {
    return e.what();
  }
  return "no error";
}

TEST(SafeArcCos, CoversTheDomainRule) {
  EXPECT_EQ(SafeArcCos(1.0000001), 0);
  EXPECT_EQ(SafeArcCos(1), 0);
  EXPECT_EQ(SafeArcCos(std::nan("")), 0);
  EXPECT_DOUBLE_EQ(SafeArcCos(-1), kPi);
  EXPECT_DOUBLE_EQ(SafeArcCos(0), kPi / 2);
  EXPECT_DOUBLE_EQ(SafeArcCos(-0.5), 2 * kPi / 3);
}

TEST(CartesianToCylindrical, UsesTheOneArgumentArcTangent) {
  const CylindricalPoint p = CartesianToCylindrical(3, 7, 4);
  EXPECT_EQ(p.reach, 5);
  EXPECT_EQ(p.height, 7);
  EXPECT_FLOAT_EQ(p.baseAngle, static_cast<float>(std::atan(4.0 / 3) - kPi / 2));
  EXPECT_EQ(CartesianToCylindrical(-3, 7, -4).baseAngle, p.baseAngle);
  EXPECT_FLOAT_EQ(CartesianToCylindrical(1, 7, 1).baseAngle, static_cast<float>(-kPi / 4));
  for (float z : {-20.0f, 0.0f, 9.0f}) {
    EXPECT_EQ(AngleToPosition(CartesianToCylindrical(0, 1, z).baseAngle), 254);
  }
}

TEST(SolveArm, GivesTheServoPositionsOfReachableAndUnreachablePoints) {
  // Wrist level with the shoulder at distance 10: an equilateral triangle.
  ArmAngles a = SolveArm(0, 15, 5, kArm);
  EXPECT_NEAR(a.shoulderAngle, -kPi / 6, 1e-6);
  EXPECT_EQ(AngleToPosition(-a.shoulderAngle), 169);
  EXPECT_EQ(AngleToPosition(a.elbowAngle), 85);
  EXPECT_EQ(AngleToPosition(a.wristAngle), 212);
  // Out of reach: the arm stretches out, wrist angle pi (n = 381): the wrist goes to its end
  // stop on that side, not round to the far end (125).
  a = SolveArm(0, 40, 5, kArm);
  EXPECT_EQ(AngleToPosition(-a.shoulderAngle), 254);
  EXPECT_EQ(AngleToPosition(a.elbowAngle), 0);
  EXPECT_EQ(AngleToPosition(a.wristAngle), 254);
}

TEST(SolveArm, ZeroDivisorsRaiseTheMathErrors) {
  EXPECT_EQ(MathErrorOf(5, kArm), "Invalid floating point operation");  // wrist on shoulder
  // L1 = 0: the shoulder's dividend D^2 - L2^2 is 0 only at D = 10.
  EXPECT_EQ(MathErrorOf(16, {5, 0, 10, 5}), "Floating point division by zero");
  EXPECT_EQ(MathErrorOf(15, {5, 0, 10, 5}), "Invalid floating point operation");
  // L2 = 0: the elbow's dividend L1^2 - D^2 likewise.
  EXPECT_EQ(MathErrorOf(16, {5, 10, 0, 5}), "Floating point division by zero");
  EXPECT_EQ(MathErrorOf(15, {5, 10, 0, 5}), "Invalid floating point operation");
}

TEST(SolveArm, WristBelowTheShoulderIsNotMirroredAbove) {
  EXPECT_NEAR(SolveArm(0, 15, -5, kArm).shoulderAngle, -kPi / 2, 1e-6);  // t1 = -t2
  EXPECT_NEAR(SolveArm(0, 15, 15, kArm).shoulderAngle, 0, 1e-6);
  // Level with the shoulder is not below it: a wrist behind the base is at elevation +pi.
  EXPECT_NEAR(SolveArm(0, 2, 5, kArm).shoulderAngle, kPi / 2 + std::acos(0.15), 1e-5);
}

TEST(SolveArm, ForwardKinematicsOfTheSolutionReachesTheTarget) {
  std::mt19937 rng(20240611);
  auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (rng() / 4294967296.0); };
  for (int checked = 0; checked < 5000;) {
    const ArmGeometry arm{float(rng() % 21), float(1 + rng() % 20), float(1 + rng() % 20),
                          float(rng() % 11)};
    const double span = arm.L1 + arm.L2, gap = std::fabs(arm.L1 - arm.L2);
    const double d = uniform(gap + 1e-3 * span, span * (1 - 1e-3));
    // Within a hair of level, the arc cosine of wr / D cannot see the elevation once D is a
    // float: such targets miss by up to 0.01 cm, far below one servo step, so they stay out.
    const double elevation = uniform(-kPi, kPi);
    const double reach = d * std::cos(elevation) + arm.L3;
    if (std::fabs(std::sin(elevation)) < 0.01 || reach < 0.1) continue;
    const double phi = uniform(-1.5, 1.5);  // X > 0: the base looks along +X
    const float target[3] = {float(reach * std::cos(phi)), float(arm.H + d * std::sin(elevation)),
                             float(reach * std::sin(phi))};

    const CylindricalPoint c = CartesianToCylindrical(target[0], target[1], target[2]);
    const ArmAngles a = SolveArm(0, c.reach, c.height, arm);
    const double e1 = a.shoulderAngle + kPi / 2;  // each link's elevation above the horizontal
    const double e2 = e1 + a.elbowAngle - kPi / 2;
    const double e3 = e2 + a.wristAngle;
    const double r = arm.L1 * std::cos(e1) + arm.L2 * std::cos(e2) + arm.L3 * std::cos(e3);
    const double toward = c.baseAngle + kPi / 2;
    const double tool[3] = {
        r * std::cos(toward),
        arm.H + arm.L1 * std::sin(e1) + arm.L2 * std::sin(e2) + arm.L3 * std::sin(e3),
        r * std::sin(toward)};
    for (int k = 0; k < 3; ++k) ASSERT_NEAR(tool[k], target[k], 1e-3) << "case " << checked;
    ASSERT_NEAR(e3, 0, 1e-5) << "the hand stays level";
    ++checked;
  }
}

TEST(AngleToPosition, MapsTheServoRangeAndHoldsAtTheEndStopsOutside) {
  const std::pair<int, int> steps[] = {{0, 0},     {1, 1},     {127, 127}, {253, 253},
                                       {254, 254}, {-1, 0},    {255, 254}, {-8, 0},
                                       {256, 254}, {381, 254}, {808, 254}, {-266, 0}};
  for (auto [n, position] : steps) {
    const auto angle = static_cast<float>((n - 127) * std::numbers::pi_v<long double> / 254);
    EXPECT_EQ(AngleToPosition(angle), position) << "n = " << n;
  }
  EXPECT_EQ(AngleToPosition(static_cast<float>(kPi / 2)), 254);
  EXPECT_THROW(AngleToPosition(INFINITY), EMathError);
}

TEST(AngleToPosition, RoundsTiesToEven) {
  EXPECT_EQ(RoundToPosition(84.5L), 84);
  EXPECT_EQ(RoundToPosition(85.5L), 86);
  EXPECT_EQ(RoundToPosition(-0.5L), 0);
  EXPECT_EQ(RoundToPosition(253.5L), 254);
  EXPECT_EQ(RoundToPosition(254.5L), 254);
  EXPECT_EQ(RoundToPosition(-1e30L), 0);
  EXPECT_EQ(RoundToPosition(1e30L), 254);
}

}  // namespace
