// The arm's home: the svNInitial settings, where Home takes it and where a run starts on a
// port with no remembered pose.
#pragma once

#include <string>

#include "option_store.h"
#include "pose_store.h"

// svNInitial of servos 1..6; a servo without one is at home in the middle (127).
ServoPose HomePose(const OptionStore& settings);

// The highest position a servo is sent; 255 is never one.
inline constexpr int32_t kHighestPosition = 254;

// Where the arm on `portPath` is taken to be at the start of a run: its remembered pose when
// every servo of it lies within the limits, else home; held within the limits either way.
ServoPose StartPose(const OptionStore& settings, const std::string& portPath);

// Servos 1..6 at `pose`, none jogging.
void SetStartPose(ServoState& state, const ServoPose& pose);

// Every servo to `pose` within its limits, jogging stopped: the positions are set and the
// six frames for one write returned, in servo order.
ByteString GoToPose(ServoState& state, const ServoTables& tables, const ServoPose& pose);
