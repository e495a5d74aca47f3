#include <algorithm>

#include "board_families.h"
#include "bus_packet.h"

namespace {

// The position byte; 255 is the command's sync byte.
constexpr int32_t kMaxPositionByte = 254;

class MiniSscBoard final : public FrameEachBoard {
 public:
  explicit MiniSscBoard(const BoardConfig& config) : FrameEachBoard(config, 3) {}

 protected:
  void AppendFrame(ByteString& bytes, const ServoTarget& t) const override {
    bytes += Byte(0xFF);
    bytes += Byte(Channel(t.servo));
    bytes += Byte(std::clamp(ToUnits(t.servo, t.position), 0, kMaxPositionByte));
  }
};

}  // namespace

std::unique_ptr<Board> MakeMiniSscBoard(const BoardConfig& config) {
  return std::make_unique<MiniSscBoard>(config);
}
