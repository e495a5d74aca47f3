#include "int_parse.h"

#include <limits>

#include "errors.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Accumulates digits up to `limit` (a magnitude); nothing on a bad digit, an empty run or
// overflow.
std::optional<uint64_t> Digits(std::string_view s, int base, uint64_t limit) {
  if (s.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : s) {
    const int d = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (d < 0) return std::nullopt;
    if (value > (limit - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) {
      return std::nullopt;
    }
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  return value;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::optional<int64_t> ParseInteger(std::string_view text, IntSyntax syntax) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::string_view s = text.substr(i);

  bool negative = false;
  bool signed_text = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    signed_text = true;
    s.remove_prefix(1);
  }

  int base = 10;
  if (StartsWith(s, "$")) {
    base = 16;
    s.remove_prefix(1);
  } else if (syntax != IntSyntax::Script && (StartsWith(s, "0x") || StartsWith(s, "0X"))) {
    base = 16;
    s.remove_prefix(2);
  } else if (syntax == IntSyntax::Coordinate && (StartsWith(s, "x") || StartsWith(s, "X"))) {
    base = 16;
    s.remove_prefix(1);
  }
  if (syntax == IntSyntax::Coordinate && base == 16 && signed_text) return std::nullopt;

  if (syntax == IntSyntax::Coordinate && base == 16) {
    const auto bits = Digits(s, 16, std::numeric_limits<uint32_t>::max());
    if (!bits) return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(*bits));
  }

  const uint64_t max_positive = syntax == IntSyntax::Settings
                                    ? uint64_t{std::numeric_limits<int64_t>::max()}
                                    : uint64_t{std::numeric_limits<int32_t>::max()};
  const auto magnitude = Digits(s, base, negative ? max_positive + 1 : max_positive);
  if (!magnitude) return std::nullopt;
  if (negative) return static_cast<int64_t>(0 - *magnitude);
  return static_cast<int64_t>(*magnitude);
}

int64_t StrToInt(const std::string& text, IntSyntax syntax) {
  const auto value = ParseInteger(text, syntax);
  if (!value) throw EConvertError(text);
  return *value;
}
