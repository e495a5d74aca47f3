// Whether a script would take the tool point under the table plane, worked out by playing it
// against the arm's geometry: playback and `vantrel check` ask the same question.
#pragma once

#include <optional>
#include <string>

#include "script_model.h"
#include "servo_state.h"
#include "workspace.h"

struct TableCrossing {
  int line = 0;      // counted from 1
  double toolY = 0;  // the lowest the command takes the tool point, cm
};

// The first move command whose servo, on its way from where it stands to its (clamped)
// position, takes the tool point under the table and lower than it was.
std::optional<TableCrossing> FindTableCrossing(const TRoboPath& script, const ServoState& start,
                                               const Workspace& ws);

// "line 3: M;2;10: takes the tool point under the table, to Y -5.12 cm; the table plane is
// at Y 0 cm (minToolY)"
std::string DescribeTableCrossing(const TRoboPath& script, const TableCrossing& crossing,
                                  const Workspace& ws);

// Play's check before it starts: raises an error naming the line.
void RefuseTableCrossing(const TRoboPath& script, const ServoState& start, const Workspace& ws);
