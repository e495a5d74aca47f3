// One smooth move of the arm from where it stands to a pose, on its own: Move and Home.
#pragma once

#include <functional>
#include <span>

#include "motion_config.h"
#include "motion_run.h"

// Plans the move from the host's positions to `target` under the limits of `config` and
// runs it on the host's clock; false when `halted` stopped it, the arm holding the pose last
// sent.
bool MoveSmoothly(MotionHost& host, const MotionConfig& config, const Pose& target,
                  const std::function<bool()>& halted);

// Runs `poses` one a tick, in order, on the host's clock: a path already worked out tick by
// tick (a straight line of the tool point). False when `halted` stopped it.
bool MoveThrough(MotionHost& host, const MotionConfig& config, std::span<const Pose> poses,
                 const std::function<bool()>& halted);
