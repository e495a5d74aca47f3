#include "board.h"

#include <algorithm>
#include <cmath>

#include "translate.h"

namespace {
constexpr int32_t kTopPosition = 254;
}  // namespace

std::string ReplyFaultText(ReplyFault fault) {
  switch (fault) {
    case ReplyFault::Short:
      return Tr("the reply is too short or never came");
    case ReplyFault::Malformed:
      return Tr("the reply is malformed");
    case ReplyFault::BadChecksum:
      return Tr("the reply has a bad checksum");
  }
  return {};
}

std::vector<BoardQuery> Board::Queries(QueryKind) const {
  return {};
}

ReplyResult Board::DecodeReply(const BoardQuery&, std::string_view) const {
  return {ReplyFault::Malformed, {}};
}

ByteString Board::TorqueCommand(bool) const {
  return {};
}

int32_t Board::ToUnits(int servo, int32_t position) const {
  const BoardServo& s = config_.servos.at(static_cast<size_t>(servo));
  const int64_t p = std::clamp<int64_t>(position, 0, kTopPosition);
  const int64_t span = int64_t{s.high} - s.low;
  return static_cast<int32_t>(s.low + std::lround(static_cast<double>(span * p) / kTopPosition));
}

int32_t Board::ToPosition(int servo, int32_t units) const {
  const BoardServo& s = config_.servos.at(static_cast<size_t>(servo));
  const int64_t span = int64_t{s.high} - s.low;
  // Both ends at one value carry no scale: everything reads as position 0.
  if (span == 0) return 0;
  return static_cast<int32_t>(
      std::lround(static_cast<double>((int64_t{units} - s.low) * kTopPosition) / span));
}

ByteString FrameEachBoard::EncodeTick(std::span<const ServoTarget> targets) const {
  ByteString bytes;
  bytes.reserve(TickBytes(static_cast<int>(targets.size())));
  for (const ServoTarget& t : targets) AppendFrame(bytes, t);
  return bytes;
}

size_t FrameEachBoard::TickBytes(int servos) const {
  return static_cast<size_t>(std::max(servos, 0)) * frameBytes_;
}
