// Each integer syntax against a reference written from its rules alone: whole-text grammar
// first, then the range check on a wide integer.
#include <cstdint>
#include <optional>
#include <string>

#include "errors.h"
#include "fuzz_support.h"
#include "int_parse.h"
#include "message_field.h"

namespace {

struct Rules {
  IntSyntax syntax;
  bool hexAfter0x;    // "0x" / "0X" start a hexadecimal number
  bool hexAfterX;     // so does a lone "x" / "X"
  bool signedHex;     // a sign may stand before a hexadecimal number
  bool hexIs32Bits;   // hexadecimal is a 32-bit pattern, read as signed
  __int128 min, max;  // range of the decimal (and signed hexadecimal) value
};

constexpr Rules kRules[] = {
    {IntSyntax::Settings, true, false, true, false, INT64_MIN, INT64_MAX},
    {IntSyntax::Script, false, false, true, false, INT32_MIN, INT32_MAX},
    {IntSyntax::Coordinate, true, true, false, true, INT32_MIN, INT32_MAX},
};

int DigitValue(char c) {
  static const std::string kDigits = "0123456789abcdef";
  const char lower = (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
  const size_t at = kDigits.find(lower);
  return at == std::string::npos ? 99 : static_cast<int>(at);
}

std::optional<int64_t> Reference(std::string_view text, const Rules& rules) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  std::string_view rest = text.substr(first);
  int sign = 1;
  bool hasSign = false;
  if (rest[0] == '+' || rest[0] == '-') {
    sign = rest[0] == '-' ? -1 : 1;
    hasSign = true;
    rest.remove_prefix(1);
  }
  int base = 10;
  if (rest.starts_with("$")) {
    base = 16;
    rest.remove_prefix(1);
  } else if (rules.hexAfter0x && (rest.starts_with("0x") || rest.starts_with("0X"))) {
    base = 16;
    rest.remove_prefix(2);
  } else if (rules.hexAfterX && (rest.starts_with("x") || rest.starts_with("X"))) {
    base = 16;
    rest.remove_prefix(1);
  }
  if (rest.empty() || (base == 16 && hasSign && !rules.signedHex)) return std::nullopt;

  unsigned __int128 magnitude = 0;
  for (const char c : rest) {
    const int digit = DigitValue(c);
    if (digit >= base) return std::nullopt;
    magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (magnitude > (static_cast<unsigned __int128>(1) << 70)) return std::nullopt;
  }
  if (base == 16 && rules.hexIs32Bits) {
    if (magnitude > UINT32_MAX) return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
  }
  const __int128 value = sign * static_cast<__int128>(magnitude);
  if (value < rules.min || value > rules.max) return std::nullopt;
  return static_cast<int64_t>(value);
}

}  // namespace

void FuzzIntSyntax(std::string_view data) {
  const std::string text(data);
  for (const Rules& rules : kRules) {
    const std::optional<int64_t> expected = Reference(text, rules);
    FUZZ_CHECK(ParseInteger(text, rules.syntax) == expected);
    try {
      const int64_t value = StrToInt(text, rules.syntax);
      FUZZ_CHECK(expected && value == *expected);
    } catch (const EConvertError& e) {
      FUZZ_CHECK(!expected);
      const std::string message = "'" + MessageField(text) + "' is not a valid integer value";
      FUZZ_CHECK(e.what() == message);
    }
  }
}

VANTREL_FUZZ_ENTRY(FuzzIntSyntax)
