#include "board_families.h"

namespace {

class VantrelBoard final : public Board {
 public:
  using Board::Board;

  ByteString EncodeTick(std::span<const ServoTarget> targets) const override {
    ByteString bytes;
    bytes.reserve(targets.size() * kFrameSize);
    for (const ServoTarget& t : targets) {
      // The low bytes, as the frames always carried them.
      bytes += EncodeServoFrame(static_cast<uint8_t>(config().servos.at(t.servo).channel),
                                static_cast<uint8_t>(t.position));
    }
    return bytes;
  }

  size_t TickBytes(int servos) const override { return static_cast<size_t>(servos) * kFrameSize; }
};

}  // namespace

std::unique_ptr<Board> MakeVantrelBoard(const BoardConfig& config) {
  return std::make_unique<VantrelBoard>(config);
}
