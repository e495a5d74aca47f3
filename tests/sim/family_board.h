// A board of one family with every servo at the family's own channel and ends.
#pragma once

#include <string>

#include "board_factory.h"

inline BoardConfig FamilyBoard(const std::string& name) {
  BoardConfig config;
  config.family = ParseBoardFamily(name).value();
  for (int s = 1; s <= kServoCount; ++s) config.servos[s] = FamilyServo(config.family, s);
  return config;
}
