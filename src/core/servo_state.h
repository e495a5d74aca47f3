// The live state of the arm and the per-tick arithmetic on it.
#pragma once

#include <cstdint>
#include <functional>

#include "unSerialLink.h"

inline constexpr int kServoCount = 6;

// Per-servo limits and controller addresses, indexed by servo number 1..6 (slot 0 unused).
struct ServoTables {
  int32_t Minval[kServoCount + 1] = {};
  int32_t Maxval[kServoCount + 1] = {};
  int32_t Address[kServoCount + 1] = {};
};

struct ServoState {
  int32_t servoIncr = 0;
  int32_t jogGroup = 0;  // 0: joystick drives servos 1..3; 3: servos 4..6
  int32_t runState = 0;  // 0 starting, 1 idle, 2 playing
  bool txEmpty = false;
  int32_t position[kServoCount + 1] = {};
  int32_t direction[kServoCount + 1] = {};
};

// Where every servo starts, whatever the settings say: the middle.
inline constexpr int32_t kStartPosition = 127;

// Servos 1..6 at the start position with no jog direction.
void SetStartPositions(ServoState& state);

// Adds one jog step when the servo's direction is not 0 (wrapping 32-bit arithmetic).
void StepServo(ServoState& state, int servo);

// Every direction 0: no servo moves on the next tick.
void StopJogging(ServoState& state);

// Minimum first, maximum last: a servo whose Minval exceeds its Maxval sits at Maxval.
void ClampServo(ServoState& state, const ServoTables& tables, int servo);

// The frame for one servo at its current position (low bytes of address and position).
ByteString ServoFrameOf(const ServoState& state, const ServoTables& tables, int servo);

// The frames of the moving servos in servo order. While horizontal mode is on,
// `horizontalFrame` replaces servo 4's own rule; pass an empty function when it is off.
ByteString BuildTickFrames(const ServoState& state, const ServoTables& tables,
                           const std::function<ByteString()>& horizontalFrame);
