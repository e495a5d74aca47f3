// The settings file of a test arm: 9600 8N1 on `port`, limits 0..254, addresses 1..6, the
// geometry H 5, L1 10, L2 10, L3 5, a joystick calibration; `changes` replace or add keys.
#pragma once

#include <map>
#include <string>

std::string ArmSettingsText(const std::string& port,
                            const std::map<std::string, std::string>& changes = {});
