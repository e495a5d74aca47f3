// Inverse kinematics of the arm: a base turning about the vertical axis Y and, in the plane
// of that turn, three links (upper arm L1, forearm L2, hand L3) with the shoulder H above the
// base origin. Lengths in centimetres, angles in radians.
//
// Every right-hand side is evaluated in long double and rounded to float when assigned to a
// named quantity; the servo positions of a Move depend on that rounding.
#pragma once

#include <cstdint>

// The link lengths, converted exactly from the integer settings by ApplySettings.
struct ArmGeometry {
  float H = 0;
  float L1 = 0;
  float L2 = 0;
  float L3 = 0;
};

struct CylindricalPoint {
  float reach = 0;
  float height = 0;
  float baseAngle = 0;
};

struct ArmAngles {
  float shoulderAngle = 0;  // 0 with the upper arm straight up
  float elbowAngle = 0;     // 0 with the forearm square to the upper arm
  float wristAngle = 0;     // the hand relative to the forearm
};

// Arc cosine in [0, pi]; 0 outside [-1, 1] and for NaN, so an unreachable point never fails.
double SafeArcCos(double x);

// X = 0 gives +pi/2; otherwise arctan(Z / X) - pi/2, so (X, Z) and (-X, -Z) share an angle.
CylindricalPoint CartesianToCylindrical(float X, float Y, float Z);

// The joint angles that put the tool point at (reach, height) with the hand `pitch` radians
// above the horizontal. Raises EMathError when the wrist falls on the shoulder joint or a
// link of the upper arm or forearm is 0. Points out of reach yield angles, not errors.
ArmAngles SolveArm(int16_t pitch, float reach, float height, const ArmGeometry& arm);

// The servo position for a joint angle: round((angle + pi/2) / (pi/254)) ties to even, held
// within 0..254, so an angle beyond -pi/2..+pi/2 gives the end stop on its own side. Raises
// EMathError (invalid) only for an angle that is not finite.
uint8_t AngleToPosition(float angle);

// The rounding and limiting step of AngleToPosition for a quotient in steps of pi/254.
uint8_t RoundToPosition(long double steps);

// The angle in steps of pi/254 from position 0, before rounding and limiting: what
// AngleToPosition hands to RoundToPosition.
long double PositionSteps(float angle);
