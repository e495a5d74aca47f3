#include "move_to_point.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "arm_pose.h"
#include "errors.h"
#include "int_parse.h"
#include "translate.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Blanks, a sign, digits with one decimal point among or around them.
std::optional<double> ParseDecimal(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  const size_t point = s.find('.');
  if (point == std::string_view::npos) return std::nullopt;
  std::string whole(s.substr(0, point)), fraction(s.substr(point + 1));
  if (whole.empty() && fraction.empty()) return std::nullopt;
  for (const std::string* part : {&whole, &fraction}) {
    for (char c : *part) {
      if (!IsDigit(c)) return std::nullopt;
    }
  }
  const std::string text =
      (whole.empty() ? "0" : whole) + "." + (fraction.empty() ? "0" : fraction);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return negative ? -value : value;
}

float Coordinate(const std::string& text, const char* field) {
  return WithDetail(TrFormat("field {1}", {field}), [&] {
    const auto value = ParseCoordinate(text);
    if (!value) throw EConvertError(text);
    return *value;
  });
}

// How far a clamped Move may raise its point over the one planned, in rounds of what is missing.
constexpr int kRaiseRounds = 20;
constexpr double kRaiseMarginCm = 0.05;

// The servos' whole steps and their limits may leave the tool point lower than the point
// planned: a clamped Move raises its point until they do not, or is refused. The reason told is
// the first plan's.
MovePlan AboveTable(const ToolPoint& target, const Workspace& ws, const ServoState& state) {
  const MovePlan first = PlanMove(target, ws);
  MovePlan plan = first;
  ToolPoint aim = target;
  ToolPoint at = target;
  for (int round = 0; plan.solved && round < kRaiseRounds; ++round) {
    int32_t position[kServoCount + 1];
    std::copy(std::begin(state.position), std::end(state.position), position);
    std::copy(plan.position + 1, plan.position + 5, position + 1);
    at = ToolPointFromPositions(position, ws.arm);
    if (at.Y >= ws.minToolY) {
      plan.refusal = first.refusal;
      plan.reason = first.reason;
      return plan;
    }
    aim.Y = std::max<double>(aim.Y, ws.minToolY) + (ws.minToolY - at.Y) + kRaiseMarginCm;
    plan = PlanMove(aim, ws);
  }
  if (!plan.solved) return plan;
  throw EMoveRefused(TrFormat(
      "Under the table: the servos would leave the tool point at {1}, under the table plane at "
      "Y = {2} cm (minToolY)",
      {FormatPoint(at), FigureText(ws.minToolY, std::chars_format::general, 6)}));
}

ByteString Apply(const int32_t (&position)[kServoCount + 1], ServoState& state,
                 const ServoTables& tables) {
  // Everything that can fail has run; work on a copy so a failure leaves no trace anyway.
  ServoState next = state;
  for (int i = 1; i <= 4; ++i) {
    next.position[i] = position[i];
    next.direction[i] = 0;
  }
  ByteString frames;
  for (int i = 1; i <= kServoCount; ++i) {
    ClampServo(next, tables, i);
    frames += ServoFrameOf(next, tables, i);
  }
  state = next;
  return frames;
}

}  // namespace

std::optional<float> ParseCoordinate(std::string_view text) {
  if (const auto whole = ParseInteger(text, IntSyntax::Coordinate)) {
    return static_cast<float>(static_cast<int32_t>(*whole));
  }
  const auto decimal = ParseDecimal(text);
  if (!decimal || !std::isfinite(static_cast<float>(*decimal))) return std::nullopt;
  return static_cast<float>(*decimal);
}

std::string PointDecimal(const std::string& text, bool commaDecimal, const char* field) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return text;
  // One comma and no point is a decimal comma; anything else stays for the parser to refuse.
  const bool oneDecimal =
      text.find(',', comma + 1) == std::string::npos && text.find('.') == std::string::npos;
  if (!oneDecimal) return text;
  if (!commaDecimal) {
    throw EDetailedError(TrFormat("'{1}': use a point for decimals", {text}),
                         TrFormat("field {1}", {field}));
  }
  std::string pointed = text;
  pointed[comma] = '.';
  return pointed;
}

ToolPoint ParseTarget(const std::string& x, const std::string& y, const std::string& z) {
  const float X = Coordinate(x, "X");
  const float Y = Coordinate(y, "Y");
  const float Z = Coordinate(z, "Z");
  return {X, Y, Z};
}

ByteString MoveToPoint(const std::string& x, const std::string& y, const std::string& z,
                       const ArmGeometry& arm, ServoState& state, const ServoTables& tables) {
  const LevelSolution solution = SolveLevel(ParseTarget(x, y, z), arm);
  int32_t position[kServoCount + 1] = {};
  for (int i = 1; i <= 4; ++i) position[i] = RoundToPosition(solution.steps[i]);
  return Apply(position, state, tables);
}

ByteString MoveWithin(const std::string& x, const std::string& y, const std::string& z,
                      const Workspace& ws, ServoState& state, MoveRule rule, MovePlan* plan) {
  const ToolPoint target = ParseTarget(x, y, z);
  const MovePlan made =
      rule == MoveRule::Clamp ? AboveTable(target, ws, state) : PlanMove(target, ws);
  if (plan) *plan = made;
  if (!made.accepted() && (rule == MoveRule::Refuse || !made.solved)) {
    throw EMoveRefused(made.reason);
  }
  return Apply(made.position, state, ws.tables);
}

ByteString HorizontalFrame(ServoState& state, const ServoTables& tables) {
  if (state.direction[1] == 0 && state.direction[2] == 0) return {};
  // Wrapping 32-bit arithmetic: limits up to 65535 never overflow, but nothing here may trap.
  const uint32_t follow =
      static_cast<uint32_t>(state.position[1]) - static_cast<uint32_t>(state.position[2]) + 127u;
  state.position[4] = static_cast<int32_t>(follow);
  ClampServo(state, tables, 4);
  return ServoFrameOf(state, tables, 4);
}
