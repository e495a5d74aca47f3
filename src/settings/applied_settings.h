// The settings that take effect each time the window applies them (and once for a command
// line run), read typed from the option table.
#pragma once

#include <cstdint>

#include "board_factory.h"
#include "motion_config.h"
#include "option_store.h"
#include "servo_link.h"
#include "unMoveLibrary.h"
#include "workspace.h"

struct AppliedSettings {
  ServoLineSettings line;
  int32_t servoIncr = 0;
  ArmGeometry arm;                // converted exactly from the integer settings
  uint16_t servoComInterval = 0;  // tick period in milliseconds; 0 never ticks
  MotionConfig motion;
  BoardSetup board;
  float minToolY = 0;  // cm above the base origin: the table plane
  float jogStep = 5;
  bool moveLine = false;  // a smooth Move goes along a straight line   // mm per tick when the tool
                          // point is jogged
};

AppliedSettings ReadAppliedSettings(const OptionStore& store);

// motion (smooth or classic, compared without regard to case; anything else is classic),
// svNSpeed and svNAccel, the tick of servoComInterval and the budget of the line, counted in
// the bytes of the board the settings name.
MotionConfig ReadMotionConfig(const OptionStore& store, const ServoLineSettings& line,
                              uint16_t servoComInterval);
// The geometry, the servo limits and the table plane of the settings.
Workspace WorkspaceOf(const OptionStore& store);
