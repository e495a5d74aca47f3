#include "unMoveLibrary.h"

#include <algorithm>
#include <cmath>

#include "errors.h"

namespace {

using Ext = long double;

constexpr Ext kPi = 3.141592653589793238462643383279502884L;
constexpr Ext kHalfPi = kPi / 2;
constexpr Ext kStep = kPi / 254;  // one servo position
constexpr int kMaxPosition = 254;

// Rounds an extended-precision right-hand side into a named float quantity.
float Named(Ext value) {
  return static_cast<float>(value);
}

}  // namespace

double SafeArcCos(double x) {
  if (!(x >= -1 && x <= 1)) return 0;  // also NaN
  // At +-1 the quotient is +-infinity, whose arc tangent is +-pi/2: 0 and pi.
  const Ext e = x;
  return static_cast<double>(kHalfPi - std::atan(e / std::sqrt(1 - e * e)));
}

CylindricalPoint CartesianToCylindrical(float X, float Y, float Z) {
  CylindricalPoint p;
  p.reach = Named(std::sqrt(Ext{X} * X + Ext{Z} * Z));
  p.height = Y;
  p.baseAngle = X == 0 ? Named(kHalfPi) : Named(std::atan(Ext{Z} / X) - kHalfPi);
  return p;
}

ArmAngles SolveArm(int16_t pitch, float reach, float height, const ArmGeometry& arm) {
  const Ext H = arm.H, L1 = arm.L1, L2 = arm.L2, L3 = arm.L3;
  const float wh = Named(height - std::sin(static_cast<Ext>(pitch)) * L3);
  const float wr = Named(reach - std::cos(static_cast<Ext>(pitch)) * L3);
  const float D = Named(std::sqrt(Ext{wr} * wr + (wh - H) * (wh - H)));

  // The arc cosine only gives the size of the elevation; a wrist below the shoulder needs the
  // negative one, or the arm would reach for the mirror image above the shoulder.
  float t1 = Named(SafeArcCos(static_cast<double>(CheckedDivide(wr, D))));
  if (wh < H) t1 = -t1;
  const float t2 = Named(
      SafeArcCos(static_cast<double>(CheckedDivide(L1 * L1 + Ext{D} * D - L2 * L2, 2 * L1 * D))));
  const float t3 = Named(
      SafeArcCos(static_cast<double>(CheckedDivide(L1 * L1 + L2 * L2 - Ext{D} * D, 2 * L1 * L2))));
  const float t4 = Named(kPi - t2 - t3);

  ArmAngles a;
  a.shoulderAngle = Named(Ext{t1} + t2 - kHalfPi);
  a.elbowAngle = Named(-(kHalfPi - t3));
  a.wristAngle = Named(pitch - (Ext{t1} - t4));
  return a;
}

uint8_t RoundToPosition(long double steps) {
  if (!std::isfinite(steps)) throw EMathError(EMathError::Kind::InvalidOperation);
  // nearbyint rounds ties to even in the default rounding mode. An angle beyond the servo's
  // travel goes to the end stop on its own side: its low byte would swing the joint to the
  // far end instead.
  return static_cast<uint8_t>(std::clamp(std::nearbyint(steps), Ext{0}, Ext{kMaxPosition}));
}

long double PositionSteps(float angle) {
  return (angle + kHalfPi) / kStep;
}

uint8_t AngleToPosition(float angle) {
  return RoundToPosition(PositionSteps(angle));
}
