#include <algorithm>

#include "board_families.h"
#include "bus_packet.h"

namespace {

// The position byte; 255 is the command's sync byte.
constexpr int32_t kMaxPositionByte = 254;

class MiniSscBoard final : public Board {
 public:
  using Board::Board;

  ByteString EncodeTick(std::span<const ServoTarget> targets) const override {
    ByteString bytes;
    bytes.reserve(targets.size() * 3);
    for (const ServoTarget& t : targets) {
      bytes += Byte(0xFF);
      bytes += Byte(config().servos.at(t.servo).channel);
      bytes += Byte(std::clamp(ToUnits(t.servo, t.position), 0, kMaxPositionByte));
    }
    return bytes;
  }

  size_t TickBytes(int servos) const override { return static_cast<size_t>(servos) * 3; }
};

}  // namespace

std::unique_ptr<Board> MakeMiniSscBoard(const BoardConfig& config) {
  return std::make_unique<MiniSscBoard>(config);
}
