#include "servo_state.h"

#include <algorithm>

void SetStartPositions(ServoState& state) {
  for (int i = 1; i <= kServoCount; ++i) {
    state.position[i] = kStartPosition;
    state.direction[i] = 0;
  }
  state.position[0] = 0;
}

void StepServo(ServoState& state, int servo) {
  if (state.direction[servo] == 0) return;
  const auto step =
      static_cast<uint32_t>(state.direction[servo]) * static_cast<uint32_t>(state.servoIncr);
  state.position[servo] = static_cast<int32_t>(static_cast<uint32_t>(state.position[servo]) + step);
}

void StopJogging(ServoState& state) {
  for (int i = 1; i <= kServoCount; ++i) state.direction[i] = 0;
}

void ClampServo(ServoState& state, const ServoTables& tables, int servo) {
  // The upper limit has the last word when the two cross.
  state.position[servo] =
      std::min(std::max(state.position[servo], tables.Minval[servo]), tables.Maxval[servo]);
}

ByteString ServoFrameOf(const ServoState& state, const ServoTables& tables, int servo) {
  return EncodeServoFrame(static_cast<uint8_t>(tables.Address[servo]),
                          static_cast<uint8_t>(state.position[servo]));
}

ByteString BuildTickFrames(const ServoState& state, const ServoTables& tables,
                           const std::function<ByteString()>& horizontalFrame) {
  ByteString frames;
  for (int i = 1; i <= kServoCount; ++i) {
    if (horizontalFrame && i == 4) {
      frames += horizontalFrame();
    } else if (state.direction[i] != 0) {
      frames += ServoFrameOf(state, tables, i);
    }
  }
  return frames;
}
