#include "script_flow.h"

#include <array>
#include <vector>

#include "errors.h"
#include "script_line.h"
#include "servo_state.h"
#include "translate.h"

namespace {

// A line that takes time or needs the operator: a loop for ever without one would spin.
bool Acts(const TServoCommand& c) {
  return (c.letter == 'M' && c.servoId >= 1 && c.servoId <= kServoCount) ||
         (c.letter == 'P' && c.value > 0) || c.letter == kWaitLetter;
}

}  // namespace

FlowFault JumpWithoutLabel(int line, int label) {
  return {line,
          TrFormat("jumps to label {1}, which is not defined above it", {std::to_string(label)})};
}

std::optional<FlowFault> FindFlowFault(const TRoboPath& script) {
  std::array<int, 256> labelAt;
  labelAt.fill(-1);
  // acting[i]: lines before line i that act, so a loop's body is asked in one step.
  std::vector<int> acting(static_cast<size_t>(script.count()) + 1, 0);
  for (int i = 0; i < script.count(); ++i) {
    const TServoCommand& c = script.getItem(i);
    acting[i + 1] = acting[i] + (Acts(c) ? 1 : 0);
    if (c.letter == kLabelLetter) {
      if (c.servoId == 0) return FlowFault{i + 1, Tr("labels are numbered 1 to 255")};
      if (labelAt[c.servoId] >= 0) {
        return FlowFault{
            i + 1, TrFormat("label {1} is already defined in line {2}",
                            {std::to_string(c.servoId), std::to_string(labelAt[c.servoId] + 1)})};
      }
      labelAt[c.servoId] = i;
    } else if (c.letter == kJumpLetter) {
      const int label = labelAt[c.servoId];
      if (label < 0) return JumpWithoutLabel(i + 1, c.servoId);
      if (c.value == kJumpForever && acting[i] == acting[label]) {
        return FlowFault{i + 1, Tr("loops for ever without a move, a pause or a wait")};
      }
    } else if (c.letter == kSpeedLetter && (c.value < kMinLinePace || c.value > kMaxLinePace)) {
      return FlowFault{i + 1,
                       TrFormat("speed {1} % is outside 10 to 400 %", {std::to_string(c.value)})};
    }
  }
  return std::nullopt;
}

std::string DescribeFlowFault(const TRoboPath& script, const FlowFault& fault) {
  return TrFormat(
      "line {1}: {2}: {3}",
      {std::to_string(fault.line), FormatScriptLine(script.getItem(fault.line - 1)), fault.reason});
}

void RefuseFlowFault(const TRoboPath& script) {
  if (const auto fault = FindFlowFault(script)) {
    throw EDetailedError(Tr("The script cannot be played"), DescribeFlowFault(script, *fault));
  }
}
