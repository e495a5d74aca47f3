// Byte strings written as the protocol documents print them.
#pragma once

#include <string>
#include <string_view>

#include "board_factory.h"

// "FF A1 7F" -> three bytes.
inline std::string Hex(std::string_view pairs) {
  std::string bytes;
  for (size_t at = 0; at + 1 < pairs.size(); at += 3) {
    bytes += static_cast<char>(std::stoi(std::string(pairs.substr(at, 2)), nullptr, 16));
  }
  return bytes;
}
