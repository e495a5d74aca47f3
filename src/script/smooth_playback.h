// Smooth playback: a run of consecutive M lines is one coordinated move of the servos it
// names, planned under the limits and played tick by tick; a T line asks the next move to take
// its value x 100 ms; a pause is waited tick by tick; other letters are skipped.
#pragma once

#include <cstdint>

#include "motion_config.h"
#include "playback.h"
#include "script_model.h"

// A T line's value is the next move's time in tenths of a second (0..25.5 s).
inline constexpr char kTimedMoveLetter = 'T';
inline constexpr int64_t kTimedMoveUnitMs = 100;

// Plays the script's commands from the top. The jog directions are cleared first: between
// the ticks of a move the window's own tick would otherwise send jogged servos beyond the
// line's budget. `stopRequested` is looked at after every tick; once set nothing more goes
// out and the arm holds the pose last sent.
// At `options.speedPercent` the limits, T lines and pauses are scaled as PlayOptions says.
void PlaySmooth(const TRoboPath& script, PlaybackHost& host, int& stopRequested,
                const MotionConfig& motion, const PlayOptions& options = {});
