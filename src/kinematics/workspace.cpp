#include "workspace.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "errors.h"
#include "translate.h"

namespace {

using Ext = long double;
constexpr Ext kPi = std::numbers::pi_v<long double>;

std::string Fixed(double value, int decimals) {
  std::string s = FigureText(value, std::chars_format::fixed, decimals);
  if (s == "-0" || s == "-0.0" || s == "-0.00") s.erase(0, 1);
  return s;
}

std::string Trimmed(double value) {
  std::string s = Fixed(value, 2);
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s;
}

// How far from the shoulder the arm reaches along the ray towards a point that lies
// `distance` cm away, `forward` cm out from the base axis: the wrist stays within L1 + L2 of
// the shoulder and the level hand adds L3 outwards.
double ReachAlong(double forward, double distance, const ArmGeometry& arm) {
  const double along = arm.L3 * forward / distance;
  const double span = double{arm.L1} + arm.L2;
  const double disc = along * along - double{arm.L3} * arm.L3 + span * span;
  return disc < 0 ? 0 : along + std::sqrt(disc);
}

// The wrist's distance from the shoulder joint for a level hand, as SolveArm works it out.
float WristDistance(float reach, float height, const ArmGeometry& arm) {
  const float wr = static_cast<float>(Ext{reach} - arm.L3);
  const Ext up = Ext{height} - arm.H;
  return static_cast<float>(std::sqrt(Ext{wr} * wr + up * up));
}

class Planner {
 public:
  Planner(const ToolPoint& target, const Workspace& ws) : target_(target), ws_(ws) {}

  MovePlan Run() {
    if (const auto key = UnsetGeometryKey(ws_.arm)) {
      Refuse(Refusal::GeometryNotSet, TrFormat("The arm's geometry is not set: {1} = 0", {*key}));
      return plan_;
    }
    ToolPoint aim = target_;
    if (aim.Y < ws_.minToolY) {
      Refuse(Refusal::BelowTable,
             TrFormat("Below the table: {1} is under the table plane at Y = {2} cm (minToolY)",
                      {FormatPoint(target_), Trimmed(ws_.minToolY)}));
      aim.Y = ws_.minToolY;
    }
    CheckBase();
    CheckReach(aim);
    Place(SolveLevel(aim, ws_.arm));
    return plan_;
  }

 private:
  void Refuse(Refusal kind, std::string reason) {
    if (!plan_.accepted()) return;  // the first reason is the one told
    plan_.refusal = kind;
    plan_.reason = std::move(reason);
  }

  void CheckBase() {
    const long double steps = std::nearbyint(
        PositionSteps(BaseAngleOf(static_cast<float>(target_.X), static_cast<float>(target_.Z))));
    if (steps >= 0 && steps <= 254) return;
    const double toward = std::atan2(double{target_.Z}, double{target_.X}) * 180 / kPi;
    Refuse(Refusal::BaseTurn,
           TrFormat("The base cannot turn to {1}: it lies at {2} degrees; the base turns from 0 "
                    "(+X) through 90 (+Z) to 180 (-X)",
                    {FormatPoint(target_), Fixed(toward, 1)}));
  }

  // A point beyond the reach is pulled in along the ray from the shoulder onto its edge.
  void CheckReach(ToolPoint& aim) {
    const ArmGeometry& arm = ws_.arm;
    const CylindricalPoint c = CartesianToCylindrical(float(aim.X), float(aim.Y), float(aim.Z));
    const float D = WristDistance(c.reach, c.height, arm);
    if (D > Ext{arm.L1} + arm.L2) {
      const double distance = std::hypot(double{c.reach}, double{c.height} - arm.H);
      const double reach = ReachAlong(c.reach, distance, arm);
      Refuse(Refusal::OutOfReach,
             TrFormat("Out of reach: {1} is {2} cm from the shoulder; the arm reaches {3} cm",
                      {FormatPoint(target_), Fixed(distance, 1), Fixed(reach, 1)}));
      const double in = reach * (1 - 1e-4) / distance;
      aim = {aim.X * in, arm.H + (aim.Y - arm.H) * in, aim.Z * in};
    } else if (D < std::fabs(Ext{arm.L1} - arm.L2)) {
      Refuse(Refusal::TooNear,
             TrFormat("Too near: {1} puts the wrist {2} cm from the shoulder; the arm folds to "
                      "{3} cm at the least",
                      {FormatPoint(target_), Fixed(D, 1), Fixed(std::fabs(arm.L1 - arm.L2), 1)}));
    }
  }

  // Positions within the servos' travel, then within their limits, servo by servo.
  void Place(const LevelSolution& s) {
    plan_.solved = true;
    for (int i = 1; i <= 4; ++i) {
      const uint8_t travel = RoundToPosition(s.steps[i]);
      ServoState probe;
      probe.position[i] = travel;
      ClampServo(probe, ws_.tables, i);
      plan_.position[i] = probe.position[i];
      if (s.steps[i] == travel && probe.position[i] == travel) continue;
      const long double needed = s.steps[i];
      if (plan_.accepted()) plan_.servo = i;
      Refuse(Refusal::ServoLimit, TrFormat("Servo {1} would need position {2}; its limit is {3}",
                                           {std::to_string(i), Fixed(double(needed), 0),
                                            std::to_string(probe.position[i])}));
    }
  }

  ToolPoint target_;
  const Workspace& ws_;
  MovePlan plan_;
};

}  // namespace

float BaseAngleOf(float X, float Z) {
  if (X > 0) return CartesianToCylindrical(X, 0, Z).baseAngle;
  if (X < 0) return static_cast<float>(std::atan(Ext{Z} / X) + kPi / 2);
  if (Z > 0) return 0;
  if (Z < 0) return static_cast<float>(-kPi);
  return CartesianToCylindrical(0, 0, 0).baseAngle;  // on the axis any turn will do
}

LevelSolution SolveLevel(const ToolPoint& target, const ArmGeometry& arm) {
  const auto X = static_cast<float>(target.X);
  const auto Z = static_cast<float>(target.Z);
  const CylindricalPoint c = CartesianToCylindrical(X, static_cast<float>(target.Y), Z);
  const ArmAngles a = SolveArm(0, c.reach, c.height, arm);
  const float angles[] = {0, -a.shoulderAngle, a.elbowAngle, BaseAngleOf(X, Z), a.wristAngle};
  LevelSolution s;
  for (int i = 1; i <= 4; ++i) {
    s.steps[i] = std::nearbyint(PositionSteps(angles[i]));
    if (!std::isfinite(s.steps[i])) throw EMathError(EMathError::Kind::InvalidOperation);
  }
  return s;
}

MovePlan PlanMove(const ToolPoint& target, const Workspace& ws) {
  return Planner(target, ws).Run();
}

std::optional<std::string> UnsetGeometryKey(const ArmGeometry& arm) {
  if (arm.L1 == 0) return "L1";
  if (arm.L2 == 0) return "L2";
  return std::nullopt;
}

std::string FormatPoint(const ToolPoint& p) {
  return "(" + Trimmed(p.X) + ", " + Trimmed(p.Y) + ", " + Trimmed(p.Z) + ")";
}

std::string FigureText(double value, std::chars_format format, int precision) {
  char text[400];  // the longest double in fixed notation, with its decimals
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, format, precision);
  return error == std::errc() ? std::string(text, end) : std::string("?");
}
