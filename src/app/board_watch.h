// Reading the board back while the window is connected: one question after each write, one on
// a tick that wrote nothing, each answered within the line's read time-out. The pose it tells
// goes to the arm view; a servo too hot or overloaded halts all motion until a reading says
// otherwise. A reply that fails is said once, and reading back stays off until the port opens
// again.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "board_line.h"
#include "board_reader.h"
#include "com_port.h"
#include "pose_store.h"

class TBoardWatch {
 public:
  struct Hooks {
    // A standing text for the operator: a failed reply, a health halt.
    std::function<void(const std::string& text)> say;
    // A text said before is over.
    std::function<void(const std::string& text)> unsay;
    // A servo is too hot or overloaded: whatever moves stops now. `first` once for each alarm.
    std::function<void(const std::string& text, bool first)> halt;
    // The pose the board reports changed; nothing when it reports none.
    std::function<void(const std::optional<ServoPose>& pose)> measured;
  };

  TBoardWatch(TCustomComPort& port, Hooks hooks);

  // The port opened (again) for `board`: reading back starts afresh where the board answers,
  // an alarm over `maxCelsius` (°C) halting.
  void Start(const BoardLine& board, int32_t maxCelsius);
  // True while the port is open, the board answers and no reply has failed.
  bool active() const;
  // The next question in turn, its answer merged into the reading.
  void ReadNext();
  // Every question now: the whole reading, or nothing when reading back is off or a reply failed.
  std::optional<BoardReading> ReadAll();
  // What the board told so far; empty before the first answer.
  const BoardReading& reading() const;
  // The pose the board reports, once it has told every servo's; nothing with reading back off.
  std::optional<ServoPose> measured() const;
  // "Servo 3 reports overload: all motion halted" while a servo is out of bounds, else empty.
  const std::string& alarm() const { return alarm_; }
  // Why reading back went off, in the user's language; empty while it has not.
  const std::string& fault() const { return fault_; }
  // True for a text this watch says and has not taken back.
  bool Says(const std::string& text) const {
    return !text.empty() && (text == fault_ || text == alarm_);
  }

 private:
  // After a question: the failure said, or the health and the pose passed on.
  void Heard(bool answered);

  TCustomComPort& port_;
  Hooks hooks_;
  BoardLine board_;
  std::optional<BoardReader> reader_;
  int32_t maxCelsius_ = 0;
  std::string alarm_;
  std::string fault_;  // said once; reading back stays off after it
  std::optional<ServoPose> measured_;
};
