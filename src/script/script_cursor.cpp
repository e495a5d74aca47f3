#include "script_cursor.h"

#include "errors.h"
#include "script_flow.h"
#include "script_line.h"
#include "translate.h"

ScriptCursor::ScriptCursor(const TRoboPath& script, Forever forever)
    : script_(script), forever_(forever), count_(script.count()), labelLine_(256, -1) {
  const auto n = static_cast<size_t>(count_);
  enteredAt_.assign(n, 0);
  left_.assign(n, -1);
  countedFor_.assign(n, 0);
  for (int i = 0; i < script.count(); ++i) {
    const TServoCommand& c = script.getItem(i);
    if (c.letter == kLabelLetter && labelLine_[c.servoId] < 0) labelLine_[c.servoId] = i;
  }
}

int ScriptCursor::Next() {
  const int i = next_;
  if (i >= count_) return -1;
  // getItem raises when a Load or the editor shortened the script meanwhile.
  const TServoCommand c = script_.getItem(i);
  const bool jumpedHere = jumped_;
  jumped_ = false;
  next_ = i + 1;
  if (c.letter == kLabelLetter && !jumpedHere && static_cast<size_t>(i) < enteredAt_.size()) {
    enteredAt_[i] = ++entries_;
  } else if (c.letter == kSpeedLetter && c.value >= kMinLinePace) {
    pace_ = c.value;
  } else if (c.letter == kJumpLetter) {
    next_ = Jump(i, c);
  }
  return i;
}

int ScriptCursor::Jump(int index, const TServoCommand& jump) {
  const int label = labelLine_[jump.servoId];
  const auto at = static_cast<size_t>(index);
  if (label < 0 || label >= index || at >= left_.size() ||
      script_.getItem(label).letter != kLabelLetter) {
    throw EDetailedError(Tr("The script cannot be played"),
                         DescribeFlowFault(script_, JumpWithoutLabel(index + 1, jump.servoId)));
  }
  if (jump.value == kJumpForever) {
    if (forever_ == Forever::OnePass) {
      repeatsForever_ = true;
      return count_;
    }
    jumped_ = true;
    return label;
  }
  // A count left from an earlier entry of the loop starts afresh.
  if (left_[at] < 0 || countedFor_[at] != enteredAt_[static_cast<size_t>(label)]) {
    left_[at] = jump.value;
    countedFor_[at] = enteredAt_[static_cast<size_t>(label)];
  }
  if (left_[at] == 0) {
    left_[at] = -1;  // done: the next arrival counts afresh
    return index + 1;
  }
  --left_[at];
  jumped_ = true;
  return label;
}
