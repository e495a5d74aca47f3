// What the arm can do: which tool points a Move may go to with a level hand, and why it
// refuses the others. Forward kinematics (arm_pose.h) checks jogged poses the same way.
#pragma once

#include <charconv>
#include <optional>
#include <string>

#include "arm_pose.h"
#include "errors.h"
#include "servo_state.h"
#include "unMoveLibrary.h"

// The arm, its servo limits and the table plane the tool point never goes through.
struct Workspace {
  ArmGeometry arm;
  ServoTables tables;
  float minToolY = 0;  // cm above the base origin, where Y is 0
};

enum class Refusal { None, GeometryNotSet, BelowTable, BaseTurn, OutOfReach, TooNear, ServoLimit };

// The servo positions for a tool point with a level hand, rounded but before any limit:
// steps[1] shoulder, [2] elbow, [3] base, [4] wrist.
struct LevelSolution {
  long double steps[kServoCount + 1] = {};
};

// The base angle that turns the arm's plane towards (X, Z), -pi/2 along +X, +pi/2 along -X.
// Where X > 0 it is the one-argument arc tangent of Move's solution; where X <= 0 the plane
// turns past +Z instead of pointing at the mirror image (-X, -Z).
float BaseAngleOf(float X, float Z);

// Raises EMathError where SolveArm does (the wrist on the shoulder joint, L1 or L2 of 0).
LevelSolution SolveLevel(const ToolPoint& target, const ArmGeometry& arm);

struct MovePlan {
  Refusal refusal = Refusal::None;
  std::string reason;  // what the operator reads, empty when accepted
  int servo = 0;       // the servo of a ServoLimit refusal
  bool solved = false;
  // Servos 1 to 4 as they would be sent: within 0..254 and their limits.
  int32_t position[kServoCount + 1] = {};
  bool accepted() const { return refusal == Refusal::None; }
};

// The first reason the arm cannot take its tool point to `target`, in this order: the
// geometry, the table, the base's turn, the reach, the servos' travel and limits. Whenever
// the arm can be solved, `position` holds the solution held within every limit: for a point
// under the table the one for the point raised onto it, for one beyond the reach the one for
// the point pulled in onto its edge. Raises EMathError as SolveLevel.
MovePlan PlanMove(const ToolPoint& target, const Workspace& ws);

// "L1" or "L2" when that link is 0: no point can be solved.
std::optional<std::string> UnsetGeometryKey(const ArmGeometry& arm);

// "(15.5, 5, 0)": up to two decimals, trailing zeros dropped.
std::string FormatPoint(const ToolPoint& p);

// A figure of a message, as printf's "%.*f" (fixed) or "%.*g" (general) writes it in the C
// locale: a locale with a decimal comma would make "(15,5, 5, 0)" of a point.
std::string FigureText(double value, std::chars_format format, int precision);

// A Move the arm cannot make: the message says why, with the figures.
class EMoveRefused : public EDetailedError {
 public:
  using EDetailedError::EDetailedError;
};
