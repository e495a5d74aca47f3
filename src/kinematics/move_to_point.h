// The arm logic of the Move command and of horizontal mode. The main window stops its tick,
// calls MoveWithin, redraws the gauges, sends the frames and restarts the tick.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "servo_state.h"
#include "unMoveLibrary.h"
#include "unSerialLink.h"
#include "workspace.h"

// A coordinate in cm: the integer syntaxes (blanks, a sign and decimal digits, or hex after
// "$", "x" or "0x") or a decimal number such as "15.5" or "-10.25". Nothing otherwise.
std::optional<float> ParseCoordinate(std::string_view text);

// A coordinate box's text as ParseCoordinate reads it. Where the desktop's language writes
// decimals with a comma (`commaDecimal`), "15,5" is 15.5; elsewhere a comma is refused with
// "'15,5': use a point for decimals", naming `field` ("field X") in the detail.
std::string PointDecimal(const std::string& text, bool commaDecimal, const char* field);

// The X, Y and Z texts as a point. A text that is no coordinate raises EConvertError naming
// the field ("field Y") in its detail.
ToolPoint ParseTarget(const std::string& x, const std::string& y, const std::string& z);

// Solves the arm for the point typed in the X, Y and Z fields (Y vertical, centimetres) with
// a level hand: servo 3 turns the base, 1 is the shoulder, 2 the elbow, 4 the wrist. Stops
// jogging on servos 1 to 4, clamps all six and returns their six frames in servo order: a
// point the arm cannot reach goes to the clamped solution. A field that is not a number
// raises EConvertError, an arm that cannot be solved EMathError; either way `state` is left
// exactly as it was.
ByteString MoveToPoint(const std::string& x, const std::string& y, const std::string& z,
                       const ArmGeometry& arm, ServoState& state, const ServoTables& tables);

enum class MoveRule {
  Refuse,  // a point the arm cannot reach raises EMoveRefused and sends nothing
  Clamp,   // it goes to the solution held within the limits, raised onto the table
};

// The Move of the window and of `vantrel move`: as MoveToPoint, within the workspace. An arm
// whose geometry is not set is refused under either rule. `plan`, when given, receives why.
ByteString MoveWithin(const std::string& x, const std::string& y, const std::string& z,
                      const Workspace& ws, ServoState& state, MoveRule rule,
                      MovePlan* plan = nullptr);

// Servo 4's frame in horizontal mode: while servo 1 or 2 is jogged, the wrist follows them
// (position 1 - position 2 + 127, clamped) so the hand keeps its angle; otherwise empty and
// position 4 is left alone.
ByteString HorizontalFrame(ServoState& state, const ServoTables& tables);
