// Control flow in a script: labels, jumps back to them, waits for the operator and the pace
// of what follows. The lines are the usual letter;a;b lines, so every reader loads them.
#pragma once

#include <optional>
#include <string>

#include "script_model.h"

inline constexpr char kLabelLetter = 'L';  // L;n;0: label n (1..255)
inline constexpr char kJumpLetter = 'J';   // J;n;k: back to label n, k more times
inline constexpr char kWaitLetter = 'W';   // W;0;0: hold the pose until the operator continues
inline constexpr char kSpeedLetter = 'S';  // S;0;p: what follows plays at p %
inline constexpr int kJumpForever = 0;     // a J line's count for a loop without end
inline constexpr int kMinLinePace = 10;
inline constexpr int kMaxLinePace = 400;

// A line that keeps the script from being played, counted from 1.
struct FlowFault {
  int line = 0;
  std::string reason;
};

// The fault of a jump at `line` to a label not defined above it.
FlowFault JumpWithoutLabel(int line, int label);

// The first fault in the script's flow: a jump to a label not defined above it, a label
// defined twice or numbered 0, a pace outside 10..400 %, a loop for ever with no move, pause
// or wait in it. Each line is looked at once.
std::optional<FlowFault> FindFlowFault(const TRoboPath& script);

// "line 4: J;2;0: jumps to label 2, which is not defined above it"
std::string DescribeFlowFault(const TRoboPath& script, const FlowFault& fault);

// Play's and load's check: raises an error naming the line.
void RefuseFlowFault(const TRoboPath& script);
