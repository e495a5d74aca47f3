// A Move never lets a non-finite angle reach a position, and every position it sets or sends
// lies within 0..254 when the limits do. A Move that fails leaves the arm's state untouched.
// The input is the geometry, the limits, the servo state, then the three coordinate texts.
#include <cmath>
#include <cstring>
#include <string>

#include "errors.h"
#include "frame_decoder.h"
#include "fuzz_support.h"
#include "move_to_point.h"

namespace {

bool SameState(const ServoState& a, const ServoState& b) {
  return std::memcmp(a.position, b.position, sizeof a.position) == 0 &&
         std::memcmp(a.direction, b.direction, sizeof a.direction) == 0;
}

bool Finite(const ArmAngles& a, float baseAngle) {
  return std::isfinite(a.shoulderAngle) && std::isfinite(a.elbowAngle) &&
         std::isfinite(a.wristAngle) && std::isfinite(baseAngle);
}

float Coordinate(const std::string& text) {
  const auto value = ParseCoordinate(text);
  if (!value) throw EConvertError(text);
  return *value;
}

}  // namespace

void FuzzMove(std::string_view data) {
  FuzzReader input(data);
  // The link lengths come from integer settings: 0 to 65535 centimetres.
  ArmGeometry arm;
  arm.H = input.U16();
  arm.L1 = input.U16();
  arm.L2 = input.U16();
  arm.L3 = input.U16();
  ServoTables tables;
  ServoState state;
  for (int i = 1; i <= kServoCount; ++i) {
    tables.Minval[i] = input.Byte() % 255;
    tables.Maxval[i] = input.Byte() % 255;
    tables.Address[i] = input.U16();
    state.position[i] = static_cast<int8_t>(input.Byte()) * 3;
    state.direction[i] = input.Byte() % 3 - 1;
  }
  const std::string x = input.Text(12), y = input.Text(12), z = input.Text(12);

  // The angles the Move will work from, when the texts are numbers and the arm solves.
  bool solvable = true;
  bool finite = false;
  try {
    const float X = Coordinate(x), Y = Coordinate(y), Z = Coordinate(z);
    const CylindricalPoint target = CartesianToCylindrical(X, Y, Z);
    finite = Finite(SolveArm(0, target.reach, target.height, arm), BaseAngleOf(X, Z));
  } catch (const EConvertError&) {
    solvable = false;
  } catch (const EMathError&) {
    solvable = false;
  }

  const ServoState before = state;
  ByteString frames;
  try {
    frames = MoveToPoint(x, y, z, arm, state, tables);
  } catch (const EConvertError&) {
    FUZZ_CHECK(!solvable);
    FUZZ_CHECK(SameState(state, before));
    return;
  } catch (const EMathError&) {
    FUZZ_CHECK(!solvable || !finite);
    FUZZ_CHECK(SameState(state, before));
    return;
  }
  FUZZ_CHECK(solvable && finite);
  FUZZ_CHECK(frames.size() == kServoCount * kFrameSize);
  FrameDecoder decoder;
  const auto sent = decoder.Feed(frames);
  FUZZ_CHECK(sent.size() == kServoCount);
  for (int i = 1; i <= kServoCount && i <= static_cast<int>(sent.size()); ++i) {
    FUZZ_CHECK(state.position[i] >= 0 && state.position[i] <= 254);
    FUZZ_CHECK(sent[i - 1].position == state.position[i]);
    FUZZ_CHECK(sent[i - 1].address() == static_cast<uint8_t>(tables.Address[i]));
    if (i <= 4) FUZZ_CHECK(state.direction[i] == 0);
  }
  FUZZ_CHECK(state.direction[5] == before.direction[5] &&
             state.direction[6] == before.direction[6]);
}

VANTREL_FUZZ_ENTRY(FuzzMove)
