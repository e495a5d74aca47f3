#include "board_reader.h"

#include "translate.h"

namespace {

template <typename T>
void Take(std::optional<T>& into, const std::optional<T>& from) {
  if (from) into = from;
}

void Merge(BoardReading& into, const BoardReading& from) {
  for (int s = 1; s <= kServoCount; ++s) {
    ServoReading& to = into.servos[s];
    const ServoReading& r = from.servos[s];
    Take(to.position, r.position);
    Take(to.moving, r.moving);
    Take(to.loadPermille, r.loadPermille);
    Take(to.millivolts, r.millivolts);
    Take(to.celsius, r.celsius);
    if (r.position || r.noTarget) to.noTarget = r.noTarget;
    // Overload comes with every answer that can carry it.
    if (r.celsius || r.position) to.overload = r.overload;
  }
  Take(into.moving, from.moving);
}

}  // namespace

BoardReader::BoardReader(const Board& board, bool health)
    : board_(board), queries_(board.Queries(QueryKind::Pose)) {
  if (!health) return;
  const auto more = board.Queries(QueryKind::Health);
  queries_.insert(queries_.end(), more.begin(), more.end());
}

bool BoardReader::Ask(const BoardQuery& query, ReplyLine& line) {
  line.Send(query.bytes);
  // A half-duplex line hands back the question first; no more than both are awaited.
  const size_t most = query.bytes.size() + query.replyLength;
  std::string received = line.Receive(query.replyLength);
  // On a half-duplex line the echo of the tick before may still be on its way in front of
  // the question's own.
  const auto decode = [&] {
    const size_t echo = received.find(query.bytes);
    if (echo != std::string::npos && echo > 0) received.erase(0, echo);
    return board_.DecodeReply(query, received);
  };
  ReplyResult result = decode();
  while (result.fault && result.fault != ReplyFault::BadChecksum) {
    const size_t want = received.size() < most ? most - received.size() : query.replyLength;
    const std::string more = line.Receive(want);
    if (more.empty()) break;
    received += more;
    result = decode();
  }
  if (result.ok()) {
    Merge(reading_, result.reading);
    return true;
  }
  fault_ = TrFormat("Servo {1}: {2}; reading back is off",
                    {std::to_string(query.servo), ReplyFaultText(*result.fault)});
  return false;
}

std::optional<BoardReading> BoardReader::ReadAll(ReplyLine& line) {
  if (!active()) return std::nullopt;
  for (const BoardQuery& query : queries_) {
    if (!Ask(query, line)) return std::nullopt;
  }
  return reading_;
}

bool BoardReader::ReadNext(ReplyLine& line) {
  if (!active()) return false;
  const BoardQuery& query = queries_[next_];
  next_ = (next_ + 1) % queries_.size();
  return Ask(query, line);
}

std::optional<ServoPose> MeasuredPose(const BoardReading& reading) {
  ServoPose pose{};
  for (int s = 1; s <= kServoCount; ++s) {
    const ServoReading& r = reading.servos[s];
    if (!r.position || r.noTarget) return std::nullopt;
    pose[s] = *r.position;
  }
  return pose;
}

std::optional<std::string> HealthAlarm(const BoardReading& reading, int32_t maxCelsius) {
  for (int s = 1; s <= kServoCount; ++s) {
    const ServoReading& r = reading.servos[s];
    // A servo that overheats says so as overload too: its heat tells more.
    if (r.celsius && *r.celsius > maxCelsius) {
      return TrFormat("Servo {1} is at {2} °C, above {3} °C",
                      {std::to_string(s), std::to_string(*r.celsius), std::to_string(maxCelsius)});
    }
    if (r.overload) return TrFormat("Servo {1} reports overload", {std::to_string(s)});
  }
  return std::nullopt;
}

std::optional<std::string> HealthHalt(const BoardReading& reading, int32_t maxCelsius) {
  const auto alarm = HealthAlarm(reading, maxCelsius);
  if (!alarm) return std::nullopt;
  return TrFormat("{1}: all motion halted", {*alarm});
}
