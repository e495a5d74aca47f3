// The script as a picture: where each servo stands over the script's playing time, worked out
// by playing the script against nothing, so the picture follows playback (classic waits or
// smooth moves) rather than a second reading of the script.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "arm_gate.h"
#include "motion_plan.h"
#include "script_model.h"
#include "servo_state.h"
#include "workspace.h"

// Servo `servo` is sent `position` at `ms` from the start, by command `command` (0-based).
struct TimelinePoint {
  int64_t ms = 0;
  int32_t position = 0;
  int command = -1;  // -1: the start pose
  bool operator==(const TimelinePoint&) const = default;
};

// A stretch of time in which command `command` holds the arm still (a P line).
struct TimelineSpan {
  int64_t fromMs = 0;
  int64_t toMs = 0;
  int command = -1;
  bool operator==(const TimelineSpan&) const = default;
};

// The tool point passes through the table plane at `ms`: downwards when `below` is true.
struct TimelineCrossing {
  int64_t ms = 0;
  int command = -1;
  bool below = false;
  bool operator==(const TimelineCrossing&) const = default;
};

// Command `command` (0-based) starts at `ms` from the start.
struct TimelineStep {
  int command = -1;
  int64_t ms = 0;
  bool operator==(const TimelineStep&) const = default;
};

struct TimelineModel {
  // Per servo 1..6: the start position at 0 ms, then a point each time it is sent another
  // position. Between points the servo holds its position.
  std::array<std::vector<TimelinePoint>, kServoCount + 1> servo;
  // When each command starts; commands played as one move share their start.
  std::vector<int64_t> commandStartMs;
  // Every command as it starts, in playing order: each pass of a counted loop, one of a loop
  // for ever.
  std::vector<TimelineStep> steps;
  // Every pass of a loop has its own.
  std::vector<TimelineSpan> pauses;
  // Where a W line holds the arm until the operator continues.
  std::vector<TimelinePoint> operatorWaits;
  // A loop for ever is drawn once, from its label to where it jumps back; -1 when there is none.
  int64_t foreverFromMs = -1;
  int64_t foreverToMs = -1;
  std::vector<TimelineCrossing> crossings;
  int64_t totalMs = 0;

  // The time step `step` ends: the start of the next step that starts later, or the end of
  // the script.
  int64_t StepEndMs(size_t step) const;
  // The point of a command (not of the start pose) nearest to (`ms`, `position`), where
  // `msPerUnit` milliseconds weigh as much as one position; null when there is none.
  const TimelinePoint* NearestPoint(int64_t ms, double position, double msPerUnit) const;
};

// True while the tool point stands below the table plane at `pose`.
using BelowTable = std::function<bool(const Pose& pose)>;
// The table plane of the arm: its tool point below minToolY.
BelowTable TablePlaneOf(const Workspace& ws);

// Plays `script` from `start` as playback would with `settings` at `speedPercent` (a dry run),
// and records what it sends and when. `belowTable` may be empty: then no crossing is marked.
TimelineModel BuildTimelineModel(const TRoboPath& script, const Pose& start,
                                 const GateSettings& settings, int speedPercent = 100,
                                 const BelowTable& belowTable = {});
