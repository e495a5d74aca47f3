#include "board_line.h"

#include <vector>

#include "board_factory.h"

BoardLine::BoardLine() : board_(MakeBoard({})) {}

BoardLine::BoardLine(const BoardConfig& config, const ServoTables& tables)
    : board_(MakeBoard(config)) {
  for (int s = kServoCount; s >= 1; --s) {
    servoOfAddress_[static_cast<uint8_t>(tables.Address[s])] = s;
  }
}

ByteString BoardLine::Encode(const ByteString& frames) const {
  if (board_->family() == BoardFamily::Vantrel) return frames;
  std::vector<ServoTarget> targets;
  targets.reserve(frames.size() / kFrameSize);
  for (size_t at = 0; at + kFrameSize <= frames.size(); at += kFrameSize) {
    const auto address =
        static_cast<uint8_t>(static_cast<uint8_t>(frames[at + 1]) - kAddressOffset);
    const int servo = servoOfAddress_[address];
    if (servo != 0) targets.push_back({servo, static_cast<uint8_t>(frames[at + 2])});
  }
  return board_->EncodeTick(targets);
}
