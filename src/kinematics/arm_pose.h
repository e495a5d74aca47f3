// Where the arm's joints are for a set of servo positions: the forward kinematics of the arm
// that Move solves, used to draw the virtual arm and to tell where its tool point is.
#pragma once

#include <cstdint>
#include <span>

#include "unMoveLibrary.h"

struct ArmPoint {
  double reach = 0;   // horizontal distance from the base axis, cm
  double height = 0;  // cm above the base origin
};

struct ArmPose {
  ArmPoint shoulder, elbow, wrist, tool;
  double baseTurn = 0;  // direction of the arm's vertical plane in the top view, radians
};

// Position p stands for the joint angle (p - 127) * pi / 254.
double PositionToAngle(int32_t position);

// Servo 1 shoulder, 2 elbow, 3 base, 4 wrist; lengths in cm. positions[1..6].
ArmPose PoseFromPositions(std::span<const int32_t, 7> positions, double H, double L1, double L2,
                          double L3);

// The tool point in the coordinates a Move takes: Y up, X and Z across, in cm.
struct ToolPoint {
  double X = 0;
  double Y = 0;
  double Z = 0;
};

ToolPoint ToolPointOf(const ArmPose& pose);
ToolPoint ToolPointFromPositions(std::span<const int32_t, 7> positions, const ArmGeometry& arm);
