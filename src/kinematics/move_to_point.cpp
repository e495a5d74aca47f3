#include "move_to_point.h"

#include <cstdint>

#include "errors.h"
#include "int_parse.h"

namespace {

float Coordinate(const std::string& text, const char* field) {
  return WithDetail(std::string("field ") + field, [&] {
    return static_cast<float>(static_cast<int32_t>(StrToInt(text, IntSyntax::Coordinate)));
  });
}

}  // namespace

ByteString MoveToPoint(const std::string& x, const std::string& y, const std::string& z,
                       const ArmGeometry& arm, ServoState& state, const ServoTables& tables) {
  const float X = Coordinate(x, "X");
  const float Y = Coordinate(y, "Y");
  const float Z = Coordinate(z, "Z");
  const CylindricalPoint target = CartesianToCylindrical(X, Y, Z);
  const ArmAngles angles = SolveArm(0, target.reach, target.height, arm);

  // Everything that can fail has run; work on a copy so a failure leaves no trace anyway.
  ServoState next = state;
  next.position[3] = AngleToPosition(target.baseAngle);
  next.position[1] = AngleToPosition(-angles.shoulderAngle);
  next.position[2] = AngleToPosition(angles.elbowAngle);
  next.position[4] = AngleToPosition(angles.wristAngle);
  for (int i = 1; i <= 4; ++i) next.direction[i] = 0;

  ByteString frames;
  for (int i = 1; i <= kServoCount; ++i) {
    ClampServo(next, tables, i);
    frames += ServoFrameOf(next, tables, i);
  }
  state = next;
  return frames;
}

ByteString HorizontalFrame(ServoState& state, const ServoTables& tables) {
  if (state.direction[1] == 0 && state.direction[2] == 0) return {};
  // Wrapping 32-bit arithmetic: limits up to 65535 never overflow, but nothing here may trap.
  const uint32_t follow =
      static_cast<uint32_t>(state.position[1]) - static_cast<uint32_t>(state.position[2]) + 127u;
  state.position[4] = static_cast<int32_t>(follow);
  ClampServo(state, tables, 4);
  return ServoFrameOf(state, tables, 4);
}
