#include "home_pose.h"

ServoPose HomePose(const OptionStore& settings) {
  ServoPose pose{};
  for (int i = 1; i <= kServoCount; ++i) {
    const std::string key = "sv" + std::to_string(i) + "Initial";
    pose[i] = settings.ReadOption(key).empty() ? kStartPosition : settings.ReadOptionInt(key);
  }
  return pose;
}

ServoPose StartPose(const OptionStore& settings, const std::string& portPath) {
  return ReadRememberedPose(PoseFolder(), portPath).value_or(HomePose(settings));
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
