#include <algorithm>

#include "board_families.h"
#include "bus_packet.h"

namespace {

constexpr uint8_t kRead = 0x02;
constexpr uint8_t kSyncWrite = 0x83;
constexpr uint8_t kBroadcast = 0xFE;
constexpr uint8_t kTorqueEnable = 40;
constexpr uint8_t kGoalPosition = 42;  // position, time, speed: two bytes each
constexpr uint8_t kGoalBytes = 6;
// One read covers 56..66: present position, speed, load, voltage, temperature, the
// asynchronous write flag, status and the moving flag.
constexpr uint8_t kPresentPosition = 56;
constexpr uint8_t kPresentBytes = 11;
constexpr size_t kHeaderBytes = 5;  // FF FF id length error
constexpr int32_t kMaxStep = 4095;
// Status bits of the reply's error byte.
constexpr uint8_t kOverheat = 0x04;
constexpr uint8_t kOvercurrent = 0x08;
constexpr uint8_t kOverload = 0x20;

// FF FF id length body checksum, the length counting the body and the checksum.
ByteString Packet(int id, std::string_view body) {
  ByteString packet;
  packet.reserve(body.size() + 5);
  AppendBusPacket(packet, 0xFF, id, 0, At(body, 0), body.substr(1));
  return packet;
}

// A value whose top bit (`signBit`) gives the direction and the bits below it the amount.
int32_t SignMagnitude(int32_t raw, int signBit) {
  const int32_t amount = raw & ((1 << signBit) - 1);
  return raw & (1 << signBit) ? -amount : amount;
}

class StsBoard final : public Board {
 public:
  using Board::Board;

  // Always a broadcast sync write, even for one servo: it moves every servo of the tick at
  // once, and no servo answers it, so nothing comes back to get in the way of the reads.
  // Time and speed 0 leave the pace to the ticks.
  ByteString EncodeTick(std::span<const ServoTarget> targets) const override {
    if (targets.empty()) return {};
    ByteString body{Byte(kSyncWrite), Byte(kGoalPosition), Byte(kGoalBytes)};
    body.reserve(3 + targets.size() * (1 + kGoalBytes));
    for (const ServoTarget& t : targets) {
      const int32_t step = std::clamp(ToUnits(t.servo, t.position), 0, kMaxStep);
      body += Byte(Id(t.servo));
      body += Byte(step & 0xFF);
      body += Byte(step >> 8);
      body.append(4, '\0');
    }
    return Packet(kBroadcast, body);
  }

  size_t TickBytes(int servos) const override {
    return servos <= 0 ? 0 : 8 + static_cast<size_t>(servos) * (1 + kGoalBytes);
  }

  std::vector<BoardQuery> Queries(QueryKind kind) const override {
    std::vector<BoardQuery> queries;
    if (kind != QueryKind::Pose) return queries;
    for (int s = 1; s <= kServoCount; ++s) {
      queries.push_back(
          {kind, s,
           Packet(Id(s), ByteString{Byte(kRead), Byte(kPresentPosition), Byte(kPresentBytes)}),
           kHeaderBytes + kPresentBytes + 1});
    }
    return queries;
  }

  ReplyResult DecodeReply(const BoardQuery& query, std::string_view received) const override {
    bool echoPending = false;
    const std::string_view reply = SkipEcho(received, query.bytes, echoPending);
    if (echoPending || reply.size() < query.replyLength) return {ReplyFault::Short, {}};
    if (At(reply, 0) != 0xFF || At(reply, 1) != 0xFF || At(reply, 2) != Id(query.servo) ||
        At(reply, 3) != kPresentBytes + 2) {
      return {ReplyFault::Malformed, {}};
    }
    const std::string_view counted = reply.substr(2, kHeaderBytes - 2 + kPresentBytes);
    if (InvertedSum(counted) != At(reply, query.replyLength - 1)) {
      return {ReplyFault::BadChecksum, {}};
    }
    const uint8_t status = At(reply, 4);
    const std::string_view data = reply.substr(kHeaderBytes, kPresentBytes);
    ReplyResult result;
    ServoReading& servo = result.reading.servos.at(query.servo);
    servo.position = ToPosition(query.servo, SignMagnitude(At(data, 0) | At(data, 1) << 8, 15));
    servo.loadPermille = SignMagnitude(At(data, 4) | At(data, 5) << 8, 10);
    servo.millivolts = At(data, 6) * 100;
    servo.celsius = At(data, 7);
    servo.moving = At(data, 10) != 0;
    servo.overload = (status & (kOverheat | kOvercurrent | kOverload)) != 0;
    return result;
  }

  ByteString TorqueCommand(bool on) const override {
    ByteString body{Byte(kSyncWrite), Byte(kTorqueEnable), Byte(1)};
    for (int s = 1; s <= kServoCount; ++s) {
      body += Byte(Id(s));
      body += Byte(on ? 1 : 0);
    }
    return Packet(kBroadcast, body);
  }

 private:
  uint8_t Id(int servo) const { return static_cast<uint8_t>(Channel(servo)); }
};

}  // namespace

std::unique_ptr<Board> MakeStsBoard(const BoardConfig& config) {
  return std::make_unique<StsBoard>(config);
}
