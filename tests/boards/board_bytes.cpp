#include "board_bytes.h"

std::string Hex(std::string_view pairs) {
  std::string bytes;
  for (size_t at = 0; at + 1 < pairs.size(); at += 3) {
    bytes += static_cast<char>(std::stoi(std::string(pairs.substr(at, 2)), nullptr, 16));
  }
  return bytes;
}

BoardConfig FamilyConfig(BoardFamily family) {
  BoardConfig config;
  config.family = family;
  for (int s = 1; s <= kServoCount; ++s) config.servos[s] = FamilyServo(family, s);
  return config;
}
