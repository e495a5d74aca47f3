#include "board_watch.h"

#include "port_reply_line.h"
#include "translate.h"

TBoardWatch::TBoardWatch(TCustomComPort& port, Hooks hooks)
    : port_(port), hooks_(std::move(hooks)) {}

void TBoardWatch::Start(const BoardLine& board, int32_t maxCelsius) {
  // The reader holds on to the board it was made for: it goes first.
  reader_.reset();
  board_ = board;
  maxCelsius_ = maxCelsius;
  if (!fault_.empty()) hooks_.unsay(fault_);
  fault_.clear();
  if (!alarm_.empty()) hooks_.unsay(alarm_);
  alarm_.clear();
  if (board_.board().Answers()) reader_.emplace(board_.board(), true);
  if (measured_) hooks_.measured(measured_ = std::nullopt);
}

bool TBoardWatch::active() const {
  return reader_ && reader_->active() && fault_.empty() && port_.Connected();
}

void TBoardWatch::ReadNext() {
  if (!active()) return;
  PortReplyLine line(port_);
  bool answered = false;
  try {
    answered = reader_->ReadNext(line);
  } catch (const std::exception& e) {
    // A port that fails a question fails the next write too, and says so there.
    fault_ = TrFormat("{1}; reading back is off", {e.what()});
  }
  Heard(answered);
}

std::optional<BoardReading> TBoardWatch::ReadAll() {
  if (!active()) return std::nullopt;
  PortReplyLine line(port_);
  std::optional<BoardReading> all;
  try {
    all = reader_->ReadAll(line);
  } catch (const std::exception& e) {
    fault_ = TrFormat("{1}; reading back is off", {e.what()});
  }
  Heard(all.has_value());
  return all;
}

const BoardReading& TBoardWatch::reading() const {
  static const BoardReading none;
  return reader_ ? reader_->reading() : none;
}

std::optional<ServoPose> TBoardWatch::measured() const {
  return active() ? MeasuredPose(reading()) : std::nullopt;
}

void TBoardWatch::Heard(bool answered) {
  if (!answered) {
    if (fault_.empty()) fault_ = reader_->fault();
    hooks_.say(fault_);
    if (measured_) hooks_.measured(measured_ = std::nullopt);
    return;
  }
  if (const auto pose = measured(); pose != measured_) hooks_.measured(measured_ = pose);
  const auto halt = HealthHalt(reading(), maxCelsius_);
  if (!halt) {
    if (!alarm_.empty()) hooks_.unsay(alarm_);
    alarm_.clear();
    return;
  }
  const bool first = *halt != alarm_;
  alarm_ = *halt;
  hooks_.halt(alarm_, first);
}
