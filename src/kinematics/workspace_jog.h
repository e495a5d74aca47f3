// Jogging within the workspace: joint steps that would take the tool point under the table
// are held back, and the tool point itself can be jogged along X, Y and Z with a level hand,
// stopping at the edge of the workspace or the table.
#pragma once

#include <cstdint>
#include <string>

#include "servo_state.h"
#include "unSerialLink.h"
#include "workspace.h"

// What the operator is told when a jog stops: "Table reached", "Edge of the workspace",
// "Servo 2 at its limit".
std::string JogStopStatus(const MovePlan& refused);

// Takes back this tick's step of servo 1, 2 or 4, in that order, where it would take the tool
// point under the table plane and lower than it was. `before` holds the positions before the
// step. With `wristFollows` (horizontal mode) servo 4 is placed as its frame will place it.
// True when a step was held back.
bool HoldAboveTable(ServoState& state, const int32_t (&before)[kServoCount + 1],
                    const Workspace& ws, bool wristFollows);

// The direction of each axis of the tool point: -1, 0 or +1.
struct ToolJogDirection {
  int32_t x = 0;
  int32_t y = 0;
  int32_t z = 0;
  bool any() const { return x != 0 || y != 0 || z != 0; }
};

class ToolJog {
 public:
  struct Outcome {
    bool moved = false;
    std::string status;  // why an axis did not move, empty when all did
  };

  // One tick: moves the point `stepCm` along each axis pushed, axis by axis, where the arm
  // can follow; sets servos 1 to 4 to the level-hand solution. The point starts where the
  // positions put the tool, and starts afresh there whenever something else moved them.
  Outcome Step(ServoState& state, const ToolJogDirection& d, const Workspace& ws, float stepCm);

 private:
  ToolPoint target_;
  int32_t at_[kServoCount + 1] = {};
  bool known_ = false;
};

// The control tick's jog within the workspace, after it has stepped and clamped the servos.
class WorkspaceJog {
 public:
  bool toolMode = false;
  ToolJogDirection direction;  // the stick's, while toolMode is on

  // Returns the frames of the servos the tool-point jog moved (none in joint mode).
  ByteString AfterStep(ServoState& state, const ServoState& before, const Workspace& ws,
                       bool wristFollows, float stepMm);
  // What the last tick stopped at; empty when nothing stopped.
  const std::string& status() const { return status_; }

 private:
  ToolJog tool_;
  std::string status_;
};
