// From a joystick reading to jog directions: the normalisation of the two axes against the
// calibration, and the mapping of axes and buttons onto the current servo group.
#pragma once

#include <cstdint>

#include "servo_state.h"

// One reading of joystick 0: axes 0..65535 (X grows to the right, Y grows as the stick is
// pulled back) and the first three buttons as bit values 1, 2 and 4.
struct JoystickReading {
  uint16_t x = 0;
  uint16_t y = 0;
  uint16_t buttons = 0;
};

inline constexpr uint16_t kJoyButton1 = 1;
inline constexpr uint16_t kJoyButton2 = 2;
inline constexpr uint16_t kJoyButton3 = 4;

// The stick's measured range and its centre window (the dead zone). The lowest reading of
// each axis is taken to be 0. The defaults are the values before any calibration is loaded.
struct JoyCalibration {
  uint16_t joyMaxX = 3;
  uint16_t joyMaxY = 3;
  uint16_t joyCentXMin = 1;
  uint16_t joyCentXMax = 2;
  uint16_t joyCentYMin = 1;
  uint16_t joyCentYMax = 2;
};

// axisX runs 0 (left stop) .. 1 (centre window) .. 2 (joyMaxX); axisY runs the other way,
// 2 with the stick pushed forward and 0 at joyMaxY.
struct JoyAxes {
  double axisX = 1;
  double axisY = 1;
};

// Raises EMathError when a reading beyond the centre window meets a range of width 0
// (the Y axis is worked out first).
JoyAxes NormaliseJoystick(const JoystickReading& reading, const JoyCalibration& calibration);

// How the mapping reads each input: -1, 0 or +1 for the stick's X and Y (pushed to about
// nine tenths of the way) and for the first two buttons (the first -1, else the second +1).
struct JogInputDirections {
  int32_t x = 0;
  int32_t y = 0;
  int32_t buttons = 0;
};
JogInputDirections JogDirectionsOf(uint16_t buttons, double axisX, double axisY);

// Toggles the group with the third button, then sets the three directions of the (new)
// group. Returns true when the group was switched, so the caller can update its indicator.
bool JoystickToDirections(ServoState& state, uint16_t buttons, double axisX, double axisY);
