#include "board_families.h"

namespace {

class VantrelBoard final : public FrameEachBoard {
 public:
  explicit VantrelBoard(const BoardConfig& config) : FrameEachBoard(config, kFrameSize) {}

 protected:
  void AppendFrame(ByteString& bytes, const ServoTarget& t) const override {
    // The low bytes, as the frames always carried them.
    bytes +=
        EncodeServoFrame(static_cast<uint8_t>(Channel(t.servo)), static_cast<uint8_t>(t.position));
  }
};

}  // namespace

std::unique_ptr<Board> MakeVantrelBoard(const BoardConfig& config) {
  return std::make_unique<VantrelBoard>(config);
}
