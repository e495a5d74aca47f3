// How long a script takes to play, worked out by playing it against nothing: the waits are
// the ones playback itself makes, so the estimate follows it.
#pragma once

#include <cstdint>
#include <vector>

#include "motion_config.h"
#include "script_model.h"
#include "servo_state.h"

// The waits of each command in milliseconds when the script is played from `start` with the
// given limits: a pause its seconds, a move its travel wait plus the pause after its write.
// Played smooth, a coordinated move's ticks count to its last line.
std::vector<int64_t> CommandWaits(const TRoboPath& script, const ServoState& start,
                                  const ServoTables& tables, const MotionConfig& motion = {});

// left[i]: the waits of commands i..n-1; left[n] is 0.
std::vector<int64_t> WaitsLeft(const std::vector<int64_t>& waits);
