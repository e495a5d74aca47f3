#include "arm_settings.h"

std::string ArmSettingsText(const std::string& port,
                            const std::map<std::string, std::string>& changes) {
  std::map<std::string, std::string> values = {
      {"comPort", port},
      {"baudRate", "9600"},
      {"parityCheck", "0"},
      {"stopBits", "1"},
      {"dataBits", "8"},
      {"servoIncr", "2"},
      {"servoComInterval", "50"},
      {"H", "5"},
      {"L1", "10"},
      {"L2", "10"},
      {"L3", "5"},
      {"joyMaxX", "65535"},
      {"joyMaxY", "65535"},
      {"joyCentXMin", "30000"},
      {"joyCentXMax", "35000"},
      {"joyCentYMin", "30000"},
      {"joyCentYMax", "35000"},
  };
  for (int i = 1; i <= 6; ++i) {
    const std::string sv = "sv" + std::to_string(i);
    values[sv + "Minval"] = "0";
    values[sv + "Maxval"] = "254";
    values[sv + "Address"] = std::to_string(i);
  }
  for (const auto& [key, value] : changes) values[key] = value;
  std::string text = "[Options]\n";
  for (const auto& [key, value] : values) text += key + "=" + value + "\n";
  return text;
}
