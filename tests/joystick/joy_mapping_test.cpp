#include <gtest/gtest.h>

#include <cmath>

#include "errors.h"
#include "joy_mapping.h"

namespace {

JoyCalibration CentredStick() {
  JoyCalibration c;
  c.joyMaxX = c.joyMaxY = 65535;
  c.joyCentXMin = c.joyCentYMin = 30000;
  c.joyCentXMax = c.joyCentYMax = 35000;
  return c;
}

JoyAxes Axes(uint16_t x, uint16_t y, const JoyCalibration& c = CentredStick()) {
  return NormaliseJoystick({x, y, 0}, c);
}

TEST(NormaliseJoystick, CentreWindowReadsOne) {
  EXPECT_EQ(Axes(32000, 32000).axisX, 1.0);
  EXPECT_EQ(Axes(32000, 32000).axisY, 1.0);
  // The window edges belong to the window.
  EXPECT_EQ(Axes(30000, 35000).axisX, 1.0);
  EXPECT_EQ(Axes(35000, 30000).axisX, 1.0);
  EXPECT_EQ(Axes(35000, 30000).axisY, 1.0);
}

TEST(NormaliseJoystick, XRunsFromZeroToTwo) {
  EXPECT_EQ(Axes(0, 32000).axisX, 0.0);
  EXPECT_EQ(Axes(65535, 32000).axisX, 2.0);
  EXPECT_NEAR(Axes(20000, 32000).axisX, 2.0 / 3.0, 1e-12);
  EXPECT_NEAR(Axes(50267, 32000).axisX, 1.5, 1e-4);
}

TEST(NormaliseJoystick, YRunsTheOtherWay) {
  EXPECT_EQ(Axes(32000, 0).axisY, 2.0);
  EXPECT_EQ(Axes(32000, 65535).axisY, 0.0);
  EXPECT_NEAR(Axes(32000, 15000).axisY, 1.5, 1e-12);
}

TEST(NormaliseJoystick, MaximumBelowTheWindowMapsBelowOne) {
  JoyCalibration c = CentredStick();
  c.joyMaxX = 30000;
  EXPECT_EQ(Axes(40000, 32000, c).axisX, 0.0);
}

TEST(NormaliseJoystick, ZeroRangeBeyondTheWindowIsADivisionByZero) {
  const JoyCalibration unset{0, 0, 0, 0, 0, 0};
  // Nothing beyond the window yet, nothing divided.
  EXPECT_EQ(Axes(0, 0, unset).axisX, 1.0);
  try {
    Axes(1, 0, unset);
    FAIL() << "no error";
  } catch (const EMathError& e) {
    EXPECT_EQ(e.kind(), EMathError::Kind::DivisionByZero);
    EXPECT_STREQ(e.what(), "Floating point division by zero");
  }
  // Y is worked out first, so a good X does not hide a bad Y.
  JoyCalibration c = CentredStick();
  c.joyMaxY = c.joyCentYMax;
  EXPECT_THROW(Axes(32000, 40000, c), EMathError);
  EXPECT_NO_THROW(Axes(65535, 32000, c));
}

struct Directions : ::testing::Test {
  ServoState state;
  int Dir(int servo) const { return state.direction[servo]; }
};

TEST_F(Directions, ReadingsThroughTheMapping) {
  const auto map = [&](uint16_t x, uint16_t y, uint16_t buttons = 0) {
    const JoyAxes a = Axes(x, y);
    return JoystickToDirections(state, buttons, a.axisX, a.axisY);
  };
  EXPECT_FALSE(map(0, 65535));
  EXPECT_EQ(Dir(1), -1);
  EXPECT_EQ(Dir(2), -1);
  map(65535, 0);
  EXPECT_EQ(Dir(1), 1);
  EXPECT_EQ(Dir(2), 1);
  map(20000, 32000);
  EXPECT_EQ(Dir(1), 0);
  EXPECT_EQ(Dir(2), 0);
  map(32000, 32000, kJoyButton1 | kJoyButton2);
  EXPECT_EQ(Dir(3), -1);
  map(32000, 32000, kJoyButton2);
  EXPECT_EQ(Dir(3), 1);
  map(32000, 32000);
  EXPECT_EQ(Dir(3), 0);
}

TEST_F(Directions, ThresholdsAreExtendedPrecision) {
  // 0.1 as a double lies just above 0.1L and 1.9 just below 1.9L: both still count as centred.
  JoystickToDirections(state, 0, 0.1, 1.9);
  EXPECT_EQ(Dir(1), 0);
  EXPECT_EQ(Dir(2), 0);
  JoystickToDirections(state, 0, std::nextafter(0.1, 0.0), std::nextafter(1.9, 2.0));
  EXPECT_EQ(Dir(1), -1);
  EXPECT_EQ(Dir(2), 1);
}

TEST_F(Directions, ThirdButtonTogglesTheGroupOnEveryCall) {
  state.direction[1] = 1;
  EXPECT_TRUE(JoystickToDirections(state, kJoyButton3, 2.0, 0.0));
  EXPECT_EQ(state.jogGroup, 3);
  // The new group takes the stick at once; the servo left behind keeps moving.
  EXPECT_EQ(Dir(4), 1);
  EXPECT_EQ(Dir(5), -1);
  EXPECT_EQ(Dir(6), 0);
  EXPECT_EQ(Dir(1), 1);
  EXPECT_TRUE(JoystickToDirections(state, kJoyButton3 | kJoyButton1, 1.0, 1.0));
  EXPECT_EQ(state.jogGroup, 0);
  EXPECT_EQ(Dir(1), 0);
  EXPECT_EQ(Dir(3), -1);
  EXPECT_EQ(Dir(4), 1);
  EXPECT_TRUE(JoystickToDirections(state, kJoyButton3, 1.0, 1.0));
  EXPECT_EQ(state.jogGroup, 3);
  EXPECT_FALSE(JoystickToDirections(state, 0, 1.0, 1.0));
  EXPECT_EQ(state.jogGroup, 3);
  EXPECT_EQ(Dir(4), 0);
}

}  // namespace
