#include "table_check.h"

#include <algorithm>

#include "arm_pose.h"
#include "errors.h"
#include "script_line.h"
#include "translate.h"

std::optional<TableCrossing> FindTableCrossing(const TRoboPath& script, const ServoState& start,
                                               const Workspace& ws) {
  ServoState arm = start;
  for (int i = 0; i < script.count(); ++i) {
    const TServoCommand& c = script.getItem(i);
    if (c.letter != 'M' || c.servoId < 1 || c.servoId > kServoCount) continue;
    const int s = c.servoId;
    const int32_t from = arm.position[s];
    ServoState to = arm;
    to.position[s] = c.value;
    ClampServo(to, ws.tables, s);
    // The servo passes every position on its way; the tool point's arc may dip between them.
    const double was = ToolPointFromPositions(arm.position, ws.arm).Y;
    const int32_t step = to.position[s] >= from ? 1 : -1;
    double lowest = was;
    for (int32_t p = from; p != to.position[s] + step; p += step) {
      arm.position[s] = p;
      lowest = std::min(lowest, ToolPointFromPositions(arm.position, ws.arm).Y);
    }
    if (lowest < ws.minToolY && lowest < was) return TableCrossing{i + 1, lowest};
  }
  return std::nullopt;
}

std::string DescribeTableCrossing(const TRoboPath& script, const TableCrossing& crossing,
                                  const Workspace& ws) {
  return TrFormat(
      "line {1}: {2}: takes the tool point under the table, to Y {3} cm; the table "
      "plane is at Y {4} cm (minToolY)",
      {std::to_string(crossing.line), FormatScriptLine(script.getItem(crossing.line - 1)),
       FigureText(crossing.toolY, std::chars_format::fixed, 2),
       FigureText(ws.minToolY, std::chars_format::general, 6)});
}

void RefuseTableCrossing(const TRoboPath& script, const ServoState& start, const Workspace& ws) {
  if (const auto crossing = FindTableCrossing(script, start, ws)) {
    throw EDetailedError(Tr("The script would take the tool point under the table"),
                         DescribeTableCrossing(script, *crossing, ws));
  }
}
