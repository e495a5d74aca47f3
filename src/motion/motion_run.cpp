#include "motion_run.h"

#include <chrono>

#include "motion_config.h"

MotionLimits LimitsOf(const ServoTables& tables, const MotionConfig& config) {
  MotionLimits limits{};
  for (int s = 1; s <= kServoCount; ++s) {
    limits[s] = {tables.Minval[s], tables.Maxval[s], config.speed[s], config.accel[s]};
  }
  return limits;
}

Pose PoseOf(const ServoState& state) {
  Pose pose{};
  for (int s = 1; s <= kServoCount; ++s) pose[s] = state.position[s];
  return pose;
}

namespace {

void SetPositions(ServoState& state, const Pose& pose) {
  for (int s = 1; s <= kServoCount; ++s) state.position[s] = pose[s];
}

// One tick: the wanted pose taken over and what the budget allows of it sent.
void RunTick(MotionHost& host, LineBudget& line, const Pose& wanted) {
  ServoState& state = host.servoState();
  SetPositions(state, wanted);
  std::array<int, kServoCount> servos{};
  const int count = line.Pick(wanted, servos);
  ByteString frames;
  frames.reserve(static_cast<size_t>(count) * kFrameSize);
  for (int k = 0; k < count; ++k) frames += ServoFrameOf(state, host.servoTables(), servos[k]);
  if (count > 0) host.SendFrames(frames);
  host.UpdateGauges();
  host.PumpEvents();
}

}  // namespace

bool RunMotion(const MotionPlan& plan, MotionHost& host, Timeline& timeline, LineBudget& line,
               const std::function<bool()>& halted) {
  const std::chrono::milliseconds tick(plan.tickMs());
  for (int k = 1; k <= plan.ticks() || line.Behind(plan.target()); ++k) {
    timeline.Wait(tick);
    RunTick(host, line, plan.poseAt(k));
    if (halted && halted()) {
      SetPositions(host.servoState(), line.sent());
      host.UpdateGauges();
      return false;
    }
  }
  return true;
}
