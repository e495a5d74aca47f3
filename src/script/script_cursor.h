// Which command of a script runs next: the script read from the top with its jumps taken,
// each jump counting its own passes, and the pace its S lines set. Playback, and every dry
// run of it, walks a script through one of these.
#pragma once

#include <vector>

#include "script_model.h"

class ScriptCursor {
 public:
  enum class Forever { Loop, OnePass };

  // The commands the script has now are walked: commands recorded meanwhile are not, and a
  // script shortened meanwhile raises getItem's error. `script` should have passed FindFlowFault; a
  // jump whose label is gone by the time it runs (the script was edited meanwhile) raises an error
  // naming the line. With Forever::OnePass a loop for ever ends the walk where it would jump back.
  explicit ScriptCursor(const TRoboPath& script, Forever forever = Forever::Loop);

  // The index of the next command to run (0-based), or -1 at the end. Label, jump and pace
  // lines come out as well, having done their part.
  int Next();
  // The line the next call looks at, before any jump of it is taken.
  int Position() const { return next_; }
  // The pace of the latest S line passed, in percent; 100 before any.
  int LinePace() const { return pace_; }
  // The walk ended at a loop for ever (Forever::OnePass only).
  bool RepeatsForever() const { return repeatsForever_; }

 private:
  int Jump(int index, const TServoCommand& jump);

  const TRoboPath& script_;
  const Forever forever_;
  const int count_;
  int next_ = 0;
  bool jumped_ = false;
  int pace_ = 100;
  bool repeatsForever_ = false;
  // Per line: for a label, when it was last entered from above; for a jump, the jumps still
  // to take and the entry of its label they were counted for.
  std::vector<int> labelLine_;
  std::vector<int> enteredAt_;
  std::vector<int> left_;
  std::vector<int> countedFor_;
  int entries_ = 0;
};
