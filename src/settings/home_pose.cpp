#include "home_pose.h"

ServoPose HomePose(const OptionStore& settings) {
  ServoPose pose{};
  for (int i = 1; i <= kServoCount; ++i) {
    const std::string key = "sv" + std::to_string(i) + "Initial";
    pose[i] = settings.ReadOption(key).empty() ? kStartPosition : settings.ReadOptionInt(key);
  }
  return pose;
}

namespace {

bool Within(int32_t position, const ServoTables& tables, int servo) {
  return position >= tables.Minval[servo] && position <= tables.Maxval[servo] &&
         position <= kHighestPosition;
}

}  // namespace

ServoPose StartPose(const OptionStore& settings, const std::string& portPath) {
  const ServoTables& tables = settings.tables;
  ServoPose pose = HomePose(settings);
  // A remembered pose the arm could not have been sent (255, or beyond today's limits) is
  // not where the arm stands.
  if (const auto remembered = ReadRememberedPose(PoseFolder(), portPath)) {
    bool usable = true;
    for (int i = 1; i <= kServoCount; ++i) usable = usable && Within((*remembered)[i], tables, i);
    if (usable) pose = *remembered;
  }
  ServoState held;
  SetStartPose(held, pose);
  for (int i = 1; i <= kServoCount; ++i) {
    ClampServo(held, tables, i);
    pose[i] = held.position[i];
  }
  return pose;
}

void SetStartPose(ServoState& state, const ServoPose& pose) {
  SetStartPositions(state);
  for (int i = 1; i <= kServoCount; ++i) state.position[i] = pose[i];
}

ByteString GoToPose(ServoState& state, const ServoTables& tables, const ServoPose& pose) {
  StopJogging(state);
  ByteString frames;
  for (int i = 1; i <= kServoCount; ++i) {
    state.position[i] = pose[i];
    ClampServo(state, tables, i);
    frames += ServoFrameOf(state, tables, i);
  }
  return frames;
}
