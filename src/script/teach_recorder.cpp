#include "teach_recorder.h"

#include <algorithm>
#include <chrono>

#include "playback.h"

namespace {

// The most one T line holds, in its units.
constexpr int64_t kMostTimeUnits = 255;
constexpr int64_t kMostPauseSeconds = 255;

int64_t RoundedUnits(int64_t ms) {
  return ms <= 0 ? 0 : (ms + kTimedMoveUnitMs / 2) / kTimedMoveUnitMs;
}

}  // namespace

int64_t TeachRecorder::ElapsedMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now() - start_).count();
}

void TeachRecorder::Append(TRoboPath& script, char letter, int servoId, int value) {
  RecordCommand(script, letter, static_cast<uint8_t>(servoId), static_cast<uint8_t>(value));
  ++commands_;
}

void TeachRecorder::Start(TRoboPath& script, const ServoState& state, int intervalMs) {
  start_ = clock_.Now();
  intervalMs_ = std::max(1, intervalMs);
  nextDueMs_ = intervalMs_;
  lastSampleMs_ = 0;
  scriptMs_ = 0;
  commands_ = 0;
  moved_ = false;
  active_ = true;
  for (int s = 1; s <= kServoCount; ++s) {
    recorded_[s] = state.position[s];
    Append(script, 'M', s, state.position[s]);
  }
}

void TeachRecorder::AppendTime(TRoboPath& script, int64_t ms) {
  int64_t units = RoundedUnits(ms);
  scriptMs_ += units * kTimedMoveUnitMs;
  const int64_t unitsPerSecond = 1000 / kTimedMoveUnitMs;
  while (units > kMostTimeUnits) {
    const int64_t seconds =
        std::min(kMostPauseSeconds, (units - kMostTimeUnits + unitsPerSecond - 1) / unitsPerSecond);
    Append(script, 'P', 0, static_cast<int>(seconds));
    units -= seconds * unitsPerSecond;
  }
  Append(script, kTimedMoveLetter, 0, static_cast<int>(units));
}

int TeachRecorder::Sample(TRoboPath& script, const ServoState& state) {
  if (!active_) return 0;
  const int64_t now = ElapsedMs();
  if (now < nextDueMs_) return 0;
  // A late tick takes the sample it finds; the next one stays on the interval's grid.
  while (nextDueMs_ <= now) nextDueMs_ += intervalMs_;
  const int64_t before = lastSampleMs_;
  lastSampleMs_ = now;

  int first = 0;
  for (int s = kServoCount; s >= 1; --s) {
    if (state.position[s] != recorded_[s]) first = s;
  }
  if (first == 0) return 0;

  const int appended = commands_;
  // Before the first movement the operator was getting ready: the taught path starts with it.
  if (!moved_) scriptMs_ = before;
  moved_ = true;
  // The arm stood still from the last lines written until the sample before this one.
  if (RoundedUnits(before - scriptMs_) > 0) {
    AppendTime(script, before - scriptMs_);
    Append(script, 'M', first, recorded_[first]);
  }
  AppendTime(script, now - scriptMs_);
  for (int s = 1; s <= kServoCount; ++s) {
    if (state.position[s] == recorded_[s]) continue;
    recorded_[s] = state.position[s];
    Append(script, 'M', s, state.position[s]);
  }
  return commands_ - appended;
}
