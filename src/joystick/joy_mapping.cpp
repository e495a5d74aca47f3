#include "joy_mapping.h"

#include "errors.h"

namespace {

// Compared in extended precision: an axis of exactly 0.1 as a double lies just above 0.1L.
constexpr long double kPushedLow = 0.1L;
constexpr long double kPushedHigh = 1.9L;

int32_t AxisDirection(double axis) {
  const long double value = axis;
  if (value <= kPushedLow) return -1;
  if (value >= kPushedHigh) return 1;
  return 0;
}

}  // namespace

JoyAxes NormaliseJoystick(const JoystickReading& reading, const JoyCalibration& c) {
  JoyAxes axes;
  const uint16_t x = reading.x;
  const uint16_t y = reading.y;

  if (y < c.joyCentYMin) {
    axes.axisY = static_cast<double>(2 - CheckedDivide(y, c.joyCentYMin));
  } else if (y > c.joyCentYMax) {
    const int32_t beyond = int32_t{y} - int32_t{c.joyCentYMax};
    const int32_t range = int32_t{c.joyMaxY} - int32_t{c.joyCentYMax};
    axes.axisY = static_cast<double>(1 - CheckedDivide(beyond, range));
  } else {
    axes.axisY = 1;
  }

  if (x < c.joyCentXMin) {
    axes.axisX = static_cast<double>(CheckedDivide(x, c.joyCentXMin));
  } else if (x > c.joyCentXMax) {
    const int32_t beyond = int32_t{x} - int32_t{c.joyCentXMax};
    const int32_t range = int32_t{c.joyMaxX} - int32_t{c.joyCentXMax};
    axes.axisX = static_cast<double>(1 + CheckedDivide(beyond, range));
  } else {
    axes.axisX = 1;
  }
  return axes;
}

bool JoystickToDirections(ServoState& state, uint16_t buttons, double axisX, double axisY) {
  const bool switchGroup = (buttons & kJoyButton3) != 0;
  if (switchGroup) state.jogGroup = state.jogGroup == 0 ? 3 : 0;
  const int g = state.jogGroup;
  const JogInputDirections d = JogDirectionsOf(buttons, axisX, axisY);
  state.direction[g + 1] = d.x;
  state.direction[g + 2] = d.y;
  state.direction[g + 3] = d.buttons;
  return switchGroup;
}

JogInputDirections JogDirectionsOf(uint16_t buttons, double axisX, double axisY) {
  JogInputDirections d;
  d.x = AxisDirection(axisX);
  d.y = AxisDirection(axisY);
  if (buttons & kJoyButton1) {
    d.buttons = -1;
  } else if (buttons & kJoyButton2) {
    d.buttons = 1;
  }
  return d;
}
