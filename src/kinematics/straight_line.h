// A Move along a straight line: the tool point goes from where it is to the target on the
// line between them, the arm solved with a level hand at every tick.
#pragma once

#include <array>
#include <vector>

#include "workspace.h"

struct LinePlan {
  MovePlan refused;  // accepted() when the whole line lies inside the workspace
  // Per tick, from the first after the start to the target: the point and servos 1 to 4.
  std::vector<ToolPoint> points;
  std::vector<std::array<int32_t, 5>> positions;
};

// The line from `from` to `to` in `ticks` ticks (at least one), eased in and out. Every
// millimetre of it is checked before anything moves: a line that leaves the workspace
// anywhere is refused, the reason naming the first point outside.
LinePlan PlanLine(const ToolPoint& from, const ToolPoint& to, const Workspace& ws, int ticks);

// The line's ticks as whole poses: servos 1 to 4 from the line, the others as in `rest`.
std::vector<std::array<int32_t, kServoCount + 1>> LinePoses(
    const LinePlan& line, const std::array<int32_t, kServoCount + 1>& rest);

// The ticks a line of `lengthCm` needs so the point moves at most 5 mm a tick, and never
// fewer than `atLeast`.
int LineTicks(double lengthCm, int atLeast);

double Distance(const ToolPoint& a, const ToolPoint& b);
