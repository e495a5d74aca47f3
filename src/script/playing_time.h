// How long a script takes to play, worked out by a dry run: the waits are the ones playback
// itself makes, so the estimate follows it.
#pragma once

#include <cstdint>
#include <vector>

#include "arm_gate.h"
#include "script_model.h"

// The time each command takes in milliseconds when the script is played from `start` with
// `settings` at `speedPercent`: a pause its seconds, a move its travel wait plus the pause after
// its write. Played smooth, a coordinated move's ticks count to its last line.
std::vector<int64_t> CommandWaits(const TRoboPath& script, const Pose& start,
                                  const GateSettings& settings, int speedPercent = 100);

// True when the script ends in a loop for ever: its dry run is one pass.
bool RepeatsForever(const TRoboPath& script);

// left[i]: the waits of commands i..n-1; left[n] is 0.
std::vector<int64_t> WaitsLeft(const std::vector<int64_t>& waits);
