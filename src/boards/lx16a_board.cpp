#include <algorithm>

#include "board_families.h"
#include "bus_packet.h"

namespace {

constexpr uint8_t kMoveTimeWrite = 1;
constexpr uint8_t kTempRead = 26;
constexpr uint8_t kVinRead = 27;
constexpr uint8_t kPosRead = 28;
constexpr uint8_t kLoadOrUnload = 31;
constexpr int32_t kMaxStep = 1000;
constexpr size_t kPacketBytes = 6;  // 55 55 id length command checksum, without parameters

// 55 55 id length command parameters checksum; the length counts itself, the command, the
// parameters and the checksum.
void AppendPacket(ByteString& out, int id, uint8_t command, std::string_view parameters) {
  AppendBusPacket(out, 0x55, id, 1, command, parameters);
}

ByteString Packet(int id, uint8_t command, std::string_view parameters) {
  ByteString packet;
  AppendPacket(packet, id, command, parameters);
  return packet;
}

// The family has no command for several servos: one move each, time 0 (as fast as the servo
// goes), the ticks setting the pace.
class Lx16aBoard final : public FrameEachBoard {
 public:
  explicit Lx16aBoard(const BoardConfig& config) : FrameEachBoard(config, kPacketBytes + 4) {}

  std::vector<BoardQuery> Queries(QueryKind kind) const override {
    std::vector<BoardQuery> queries;
    for (int s = 1; s <= kServoCount; ++s) {
      if (kind == QueryKind::Pose) queries.push_back(Query(kind, s, kPosRead, 2));
      if (kind == QueryKind::Health) {
        queries.push_back(Query(kind, s, kTempRead, 1));
        queries.push_back(Query(kind, s, kVinRead, 2));
      }
    }
    return queries;
  }

  ReplyResult DecodeReply(const BoardQuery& query, std::string_view received) const override {
    bool echoPending = false;
    const std::string_view reply = SkipEcho(received, query.bytes, echoPending);
    if (echoPending || reply.size() < query.replyLength) return {ReplyFault::Short, {}};
    const size_t parameters = query.replyLength - kPacketBytes;
    const uint8_t command = At(query.bytes, 4);
    if (At(reply, 0) != 0x55 || At(reply, 1) != 0x55 || At(reply, 2) != Id(query.servo) ||
        At(reply, 3) != parameters + 3 || At(reply, 4) != command) {
      return {ReplyFault::Malformed, {}};
    }
    if (InvertedSum(reply.substr(2, 3 + parameters)) != At(reply, query.replyLength - 1)) {
      return {ReplyFault::BadChecksum, {}};
    }
    ReplyResult result;
    ServoReading& servo = result.reading.servos.at(query.servo);
    const int32_t value = parameters == 1 ? At(reply, 5) : At(reply, 5) | At(reply, 6) << 8;
    if (command == kPosRead) {
      // Signed: a servo turned past its end reads below 0.
      servo.position = ToPosition(query.servo, static_cast<int16_t>(value));
    } else if (command == kTempRead) {
      servo.celsius = value;
    } else {
      servo.millivolts = value;
    }
    return result;
  }

  ByteString TorqueCommand(bool on) const override {
    ByteString bytes;
    for (int s = 1; s <= kServoCount; ++s) {
      AppendPacket(bytes, Id(s), kLoadOrUnload, on ? "\1" : std::string_view("\0", 1));
    }
    return bytes;
  }

 private:
  void AppendFrame(ByteString& bytes, const ServoTarget& t) const override {
    const int32_t step = std::clamp(ToUnits(t.servo, t.position), 0, kMaxStep);
    const char parameters[] = {Byte(step & 0xFF), Byte(step >> 8), '\0', '\0'};
    AppendPacket(bytes, Id(t.servo), kMoveTimeWrite, std::string_view(parameters, 4));
  }
  uint8_t Id(int servo) const { return static_cast<uint8_t>(Channel(servo)); }
  BoardQuery Query(QueryKind kind, int servo, uint8_t command, size_t parameters) const {
    return {kind, servo, Packet(Id(servo), command, {}), kPacketBytes + parameters};
  }
};

}  // namespace

std::unique_ptr<Board> MakeLx16aBoard(const BoardConfig& config) {
  return std::make_unique<Lx16aBoard>(config);
}
