// Whether a script would take the tool point under the table plane, worked out by playing it
// against the arm's geometry: playback and `vantrel check` ask the same question.
#pragma once

#include <optional>
#include <string>

#include "arm_gate.h"
#include "script_model.h"
#include "workspace.h"

struct TableCrossing {
  int line = 0;      // counted from 1
  double toolY = 0;  // the lowest the command takes the tool point, cm
};

// The first write of a dry run whose way, from where the servos stood to where it sends
// them, takes the tool point under the table and lower than it was: the path played, classic
// (one servo at a time) or smooth (the servos together). The line is the command playing.
std::optional<TableCrossing> FindTableCrossing(const TRoboPath& script, const Pose& start,
                                               const GateSettings& settings);

// "line 3: M;2;10: takes the tool point under the table, to Y -5.12 cm; the table plane is
// at Y 0 cm (minToolY)"
std::string DescribeTableCrossing(const TRoboPath& script, const TableCrossing& crossing,
                                  const Workspace& ws);

// Play's check before it starts: raises an error naming the line.
void RefuseTableCrossing(const TRoboPath& script, const Pose& start, const GateSettings& settings);
