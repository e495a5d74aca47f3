#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_clock.h"
#include "script_line.h"
#include "teach_recorder.h"

namespace {

using std::chrono::milliseconds;

// At `ms` after teaching began, servo `servo` stands at `position` (0: nothing moves) and the
// tick samples.
struct Step {
  int64_t ms;
  int servo;
  int position;
};

struct Case {
  const char* name;
  int intervalMs;
  std::vector<Step> steps;
  std::vector<std::string> lines;  // after the six lines of the start pose
};

std::vector<std::string> Lines(const TRoboPath& script, int from) {
  std::vector<std::string> lines;
  for (int i = from; i < script.count(); ++i) lines.push_back(FormatScriptLine(script.getItem(i)));
  return lines;
}

TEST(TeachRecorder, WritesTheMovedServosWithTheTimeSinceTheSampleBefore) {
  const Case cases[] = {
      {"moving on every sample",
       100,
       {{100, 1, 130}, {200, 1, 133}, {300, 2, 120}},
       {"T;0;1", "M;1;130", "T;0;1", "M;1;133", "T;0;1", "M;2;120"}},
      {"not due yet, then due",
       100,
       {{50, 1, 130}, {99, 1, 131}, {100, 1, 132}},
       {"T;0;1", "M;1;132"}},
      {"the idle time before the first movement is left out",
       100,
       {{100, 0, 0}, {200, 0, 0}, {17300, 0, 0}, {17400, 2, 100}},
       {"T;0;1", "M;2;100"}},
      {"standing still between moves is held, the move takes one interval",
       100,
       {{100, 1, 130}, {200, 0, 0}, {300, 0, 0}, {400, 2, 100}},
       {"T;0;1", "M;1;130", "T;0;2", "M;2;127", "T;0;1", "M;2;100"}},
      {"a late sample keeps the grid: 250 and 300 both sampled",
       100,
       {{250, 3, 1}, {300, 3, 2}},
       {"T;0;3", "M;3;1", "T;0;0", "M;3;2"}},
      {"rounding never adds up: 130 ms ticks, 130 ms interval",
       130,
       {{130, 1, 1}, {260, 1, 2}, {390, 1, 3}, {520, 1, 4}},
       {"T;0;1", "M;1;1", "T;0;2", "M;1;2", "T;0;1", "M;1;3", "T;0;1", "M;1;4"}},
      {"a long hold is made up with whole seconds",
       100,
       {{100, 4, 20}, {30000, 0, 0}, {30100, 4, 10}},
       {"T;0;1", "M;4;20", "P;0;5", "T;0;249", "M;4;20", "T;0;1", "M;4;10"}},
  };
  for (const Case& c : cases) {
    FakeClock clock;
    TRoboPath script;
    ServoState state;
    SetStartPositions(state);
    TeachRecorder teach(clock);
    teach.Start(script, state, c.intervalMs);
    const auto begun = clock.now;
    for (const Step& step : c.steps) {
      clock.now = begun + milliseconds(step.ms);
      if (step.servo > 0) state.position[step.servo] = step.position;
      teach.Sample(script, state);
    }
    EXPECT_EQ(Lines(script, 0).front(), "M;1;127") << c.name;
    EXPECT_EQ(Lines(script, kServoCount), c.lines) << c.name;
    EXPECT_EQ(teach.commands(), script.count()) << c.name;
  }
}

}  // namespace
