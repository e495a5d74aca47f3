#include "dry_run.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void ForEachOnTheWay(const Pose& before, const Pose& after,
                     const std::function<void(const Pose&)>& each) {
  int32_t steps = 0;
  for (int s = 1; s <= kServoCount; ++s) steps = std::max(steps, std::abs(after[s] - before[s]));
  for (int32_t k = 1; k <= steps; ++k) {
    Pose at = before;
    for (int s = 1; s <= kServoCount; ++s) {
      at[s] += static_cast<int32_t>(std::lround(double(after[s] - before[s]) * k / steps));
    }
    each(at);
  }
}

DryRun::DryRun(const GateSettings& settings, const Pose& start) {
  gate_.Configure(settings);
  gate_.Place(start);
  start_ = gate_.received();
}

void DryRun::Play(const TRoboPath& script, int speedPercent) {
  PlayOptions options;
  options.speedPercent = speedPercent;
  options.forever = ScriptCursor::Forever::OnePass;
  PlayScript(script, gate_, *this, options);
}

int64_t DryRun::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(now_ - TimePoint{}).count();
}

void DryRun::CommandStarting(int index, int) {
  ++commands_;
  Starting(index);
}

bool DryRun::Write(const ByteString&) {
  wroteMs_ = NowMs();
  SleepFor(kPauseAfterWrite);
  return true;
}

void DryRun::Received(const Pose& before, const Pose& now) {
  // As the write left, before the pause after it.
  Wrote(wroteMs_, before, now);
}

void DryRun::SleepUntil(TimePoint when) {
  now_ = std::max(now_, when);
}
