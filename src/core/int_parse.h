// Integer syntaxes of the program's texts. Each caller names the syntax it accepts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class IntSyntax {
  // Settings values: blanks before, one sign, decimal or hex after "$", "0x", "0X";
  // the digits run to the end; must fit a signed 64-bit integer.
  Settings,
  // Script files and the command editor: blanks before, one sign, decimal or hex after "$";
  // must fit a signed 32-bit integer.
  Script,
  // Move coordinates: blanks before and a signed decimal, or hex after "$", "x" or "0x"
  // without a sign; a signed 32-bit integer (hex wraps as a 32-bit pattern).
  Coordinate,
};

// The value, or nothing when the text does not follow the syntax.
std::optional<int64_t> ParseInteger(std::string_view text, IntSyntax syntax);

// The value, or EConvertError naming the text.
int64_t StrToInt(const std::string& text, IntSyntax syntax);
