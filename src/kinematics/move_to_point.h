// The arm logic of the Move command and of horizontal mode. The main window stops its tick,
// calls MoveToPoint, redraws the gauges, sends the frames and restarts the tick.
#pragma once

#include <string>

#include "servo_state.h"
#include "unMoveLibrary.h"
#include "unSerialLink.h"

// Solves the arm for the point typed in the X, Y and Z fields (Y vertical, centimetres) with
// a level hand: servo 3 turns the base, 1 is the shoulder, 2 the elbow, 4 the wrist. Stops
// jogging on servos 1 to 4, clamps all six and returns their six frames in servo order.
// A field that is not an integer raises EConvertError naming the field ("field Y") in its
// detail, an arm that cannot be solved raises
// EMathError; either way `state` is left exactly as it was.
ByteString MoveToPoint(const std::string& x, const std::string& y, const std::string& z,
                       const ArmGeometry& arm, ServoState& state, const ServoTables& tables);

// Servo 4's frame in horizontal mode: while servo 1 or 2 is jogged, the wrist follows them
// (position 1 - position 2 + 127, clamped) so the hand keeps its angle; otherwise empty and
// position 4 is left alone.
ByteString HorizontalFrame(ServoState& state, const ServoTables& tables);
