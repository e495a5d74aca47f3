// Reading back what the board can tell: each question goes out once, its answer is awaited no
// longer than the line's read time-out, and the first answer that is missing or broken turns
// reading back off, with one message naming the servo and the reason.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "board.h"
#include "pose_store.h"

// The line as reading back needs it.
class ReplyLine {
 public:
  virtual ~ReplyLine() = default;
  // Drops whatever came in unasked and sends `bytes`.
  virtual void Send(const ByteString& bytes) = 0;
  // Up to `count` bytes, waiting at most the line's read time-out for them.
  virtual std::string Receive(size_t count) = 0;
};

class BoardReader {
 public:
  // Health questions are asked with the pose only where `health` is set.
  BoardReader(const Board& board, bool health);

  // True while the board answers and no answer has failed.
  bool active() const { return !queries_.empty() && fault_.empty(); }
  // Every question once; the reading, or nothing when a reply failed.
  std::optional<BoardReading> ReadAll(ReplyLine& line);
  // The next question in turn, its answer merged into reading(); false when there was none or
  // it failed.
  bool ReadNext(ReplyLine& line);
  const BoardReading& reading() const { return reading_; }
  // What went wrong, in the user's language; empty while nothing has.
  const std::string& fault() const { return fault_; }

 private:
  bool Ask(const BoardQuery& query, ReplyLine& line);

  const Board& board_;
  std::vector<BoardQuery> queries_;
  size_t next_ = 0;
  BoardReading reading_;
  std::string fault_;
};

// The pose the reading tells, when every servo's position is in it; nothing when a servo has
// no target yet.
std::optional<ServoPose> MeasuredPose(const BoardReading& reading);

// "Servo 3 is at 75 °C, above 70 °C" or "Servo 3 reports overload"; nothing while every servo
// is within bounds.
std::optional<std::string> HealthAlarm(const BoardReading& reading, int32_t maxCelsius);
// The alarm as the reason every motion stops: "Servo 3 reports overload: all motion halted".
std::optional<std::string> HealthHalt(const BoardReading& reading, int32_t maxCelsius);
