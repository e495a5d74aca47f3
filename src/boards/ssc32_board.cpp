#include <algorithm>
#include <charconv>
#include <string>

#include "board_families.h"

namespace {

// The pulse widths the board puts out, in microseconds.
constexpr int32_t kMinPulse = 500;
constexpr int32_t kMaxPulse = 2500;
// "QP" answers a pulse width in tens of microseconds, one byte.
constexpr int32_t kPulseStep = 10;

size_t Digits(int value) {
  return std::to_string(value).size();
}

class Ssc32Board final : public Board {
 public:
  using Board::Board;

  ByteString EncodeTick(std::span<const ServoTarget> targets) const override {
    if (targets.empty()) return {};
    ByteString line;
    line.reserve(TickBytes(static_cast<int>(targets.size())));
    char digits[16];
    const auto append = [&](int value) {
      line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    };
    for (const ServoTarget& t : targets) {
      line += '#';
      append(Channel(t.servo));
      line += 'P';
      append(std::clamp(ToUnits(t.servo, t.position), kMinPulse, kMaxPulse));
    }
    return line += '\r';
  }

  size_t TickBytes(int servos) const override {
    if (servos <= 0) return 0;
    // "#", the widest channel, "P", four digits of pulse; one CR for the line.
    size_t widest = 1;
    for (int s = 1; s <= kServoCount; ++s) widest = std::max(widest, Digits(Channel(s)));
    return static_cast<size_t>(servos) * (widest + 6) + 1;
  }

  std::vector<BoardQuery> Queries(QueryKind kind) const override {
    std::vector<BoardQuery> queries;
    if (kind == QueryKind::Moving) queries.push_back({kind, 0, "Q\r", 1});
    if (kind != QueryKind::Pose) return queries;
    for (int s = 1; s <= kServoCount; ++s) {
      queries.push_back({kind, s, "QP " + std::to_string(Channel(s)) + "\r", 1});
    }
    return queries;
  }

  ReplyResult DecodeReply(const BoardQuery& query, std::string_view received) const override {
    ReplyResult result;
    if (received.empty()) return {ReplyFault::Short, {}};
    const auto byte = static_cast<uint8_t>(received[0]);
    if (query.kind == QueryKind::Moving) {
      if (byte != '.' && byte != '+') return {ReplyFault::Malformed, {}};
      result.reading.moving = byte == '+';
      return result;
    }
    ServoReading& servo = result.reading.servos.at(query.servo);
    // A channel that was never given a target sends no pulse and reads 0.
    if (byte == 0) {
      servo.noTarget = true;
      return result;
    }
    const int32_t us = byte * kPulseStep;
    if (us < kMinPulse || us > kMaxPulse) return {ReplyFault::Malformed, {}};
    servo.position = ToPosition(query.servo, us);
    return result;
  }

 private:
};

}  // namespace

std::unique_ptr<Board> MakeSsc32Board(const BoardConfig& config) {
  return std::make_unique<Ssc32Board>(config);
}
