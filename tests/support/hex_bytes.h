// Byte strings written as the protocol documents print them.
#pragma once

#include <string>
#include <string_view>

// "FF A1 7F" (or "FFA17F") -> three bytes: spaces only group the digits for the eye.
inline std::string Hex(std::string_view text) {
  std::string digits(text);
  std::erase(digits, ' ');
  std::string bytes;
  for (size_t at = 0; at + 1 < digits.size(); at += 2) {
    bytes += static_cast<char>(std::stoi(digits.substr(at, 2), nullptr, 16));
  }
  return bytes;
}
