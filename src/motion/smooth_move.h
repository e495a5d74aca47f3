// One smooth move of the arm from where it stands to a pose, on its own: Move and Home.
#pragma once

#include <functional>

#include "motion_config.h"
#include "motion_run.h"

// Plans the move from the host's positions to `target` under the limits of `config` and
// runs it on the host's clock; false when `halted` stopped it, the arm holding the pose last
// sent.
bool MoveSmoothly(MotionHost& host, const MotionConfig& config, const Pose& target,
                  const std::function<bool()>& halted);
