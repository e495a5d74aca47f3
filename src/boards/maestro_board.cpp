#include <algorithm>

#include "board_families.h"
#include "bus_packet.h"

namespace {

constexpr uint8_t kSetTarget = 0x84;
constexpr uint8_t kGetPosition = 0x90;
constexpr uint8_t kGetMovingState = 0x93;
constexpr int32_t kQuarters = 4;
// The target is 14 bits of quarter microseconds; 0 would switch the channel's pulse off,
// which a position must never do.
constexpr int32_t kMinPulse = 1;
constexpr int32_t kMaxPulse = 0x3FFF / kQuarters;

class MaestroBoard final : public FrameEachBoard {
 public:
  explicit MaestroBoard(const BoardConfig& config) : FrameEachBoard(config, 4) {}

  std::vector<BoardQuery> Queries(QueryKind kind) const override {
    std::vector<BoardQuery> queries;
    if (kind == QueryKind::Moving)
      queries.push_back({kind, 0, ByteString(1, Byte(kGetMovingState)), 1});
    if (kind != QueryKind::Pose) return queries;
    for (int s = 1; s <= kServoCount; ++s) {
      queries.push_back({kind, s, ByteString{Byte(kGetPosition), Byte(Channel(s))}, 2});
    }
    return queries;
  }

  ReplyResult DecodeReply(const BoardQuery& query, std::string_view received) const override {
    ReplyResult result;
    if (received.size() < query.replyLength) return {ReplyFault::Short, {}};
    if (query.kind == QueryKind::Moving) {
      if (At(received, 0) > 1) return {ReplyFault::Malformed, {}};
      result.reading.moving = At(received, 0) == 1;
      return result;
    }
    ServoReading& servo = result.reading.servos.at(query.servo);
    const int32_t quarters = At(received, 0) | At(received, 1) << 8;
    // 0: the channel is off, it has had no target yet.
    if (quarters == 0) {
      servo.noTarget = true;
    } else {
      servo.position = ToPosition(query.servo, (quarters + kQuarters / 2) / kQuarters);
    }
    return result;
  }

 protected:
  void AppendFrame(ByteString& bytes, const ServoTarget& t) const override {
    const int32_t quarters =
        std::clamp(ToUnits(t.servo, t.position), kMinPulse, kMaxPulse) * kQuarters;
    bytes += Byte(kSetTarget);
    bytes += Byte(Channel(t.servo));
    bytes += Byte(quarters & 0x7F);
    bytes += Byte((quarters >> 7) & 0x7F);
  }
};

}  // namespace

std::unique_ptr<Board> MakeMaestroBoard(const BoardConfig& config) {
  return std::make_unique<MaestroBoard>(config);
}
