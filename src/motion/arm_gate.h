// The one way to the arm. Every motion (the jog tick, Move, Home, playback, teach) goes through
// the gate, which owns what the arm received, the limits, the line's budget, the clock and the
// halt, so the window, the command line and a dry run cannot disagree about what the arm did.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "board.h"
#include "errors.h"
#include "line_budget.h"
#include "motion_config.h"
#include "motion_plan.h"
#include "schedule_clock.h"
#include "schedule_timeline.h"
#include "timed_path.h"
#include "unSerialLink.h"
#include "workspace.h"

// What the gate needs from outside: the line, the time and the operator's stop.
class ArmLine {
 public:
  virtual ~ArmLine() = default;
  // One write of `frames` (the pause after it included). False when they did not go out and
  // nothing more should be tried (no port); raises when the write failed.
  virtual bool Write(const ByteString& frames) = 0;
  // Every wait of a motion goes by it.
  virtual ScheduleClock& Clock() = 0;
  // True once a stop was asked for (Esc, Stop, Ctrl-C, a lost port).
  virtual bool Halted() = 0;
  // False for a line that follows only the poses (a dry run): its writes carry no bytes.
  virtual bool TakesBytes() const { return true; }
  // After a write: the arm, which held `before`, now holds `now`.
  virtual void Received(const Pose& before, const Pose& now) {
    static_cast<void>(before);
    static_cast<void>(now);
  }
};

// A motion asked for while another runs.
class EArmBusy : public EDetailedError {
 public:
  EArmBusy();
};

class ArmRun;

struct GateSettings {
  Workspace workspace;
  MotionConfig motion;
  bool moveLine = false;  // a smooth Move takes the tool point along a straight line
  // The board the bytes are for; none: the program's own frames at the servos' addresses.
  std::optional<BoardConfig> board;
};

// A pose held within the servos' limits, the minimum first.
Pose HeldWithin(const Pose& pose, const ServoTables& tables);

class ArmGate {
 public:
  explicit ArmGate(ArmLine& line);
  ~ArmGate();

  void Configure(const GateSettings& settings);
  const GateSettings& settings() const { return settings_; }
  const ServoTables& tables() const { return settings_.workspace.tables; }

  // The arm is taken to stand at `pose`, held within the limits; nothing is sent.
  void Place(const Pose& pose);
  // What the arm received: a servo's position changes only once its frame was written.
  const Pose& received() const { return received_; }
  bool busy() const { return busy_; }
  // Writes that went out so far.
  uint64_t writes() const { return writes_; }

  // The jog tick: `servos`, in that order, at their positions in `pose`, in one write. Nothing
  // is sent while a motion runs; false then, and when the write did not go out.
  bool Jog(const Pose& pose, std::span<const int> servos);

  // Move and Home: every servo to `target`, held within the limits. Classic sends the six
  // frames in one write; smooth plans a move under the limits, or, for a Move given its tool
  // point `along` with moveLine on, a straight line from the hand as it is (refused with the
  // reason, EMoveRefused, before anything moves). False when halted or not sent; EArmBusy
  // while another motion runs.
  bool MoveTo(const Pose& target, const std::optional<ToolPoint>& along = std::nullopt);

  // The bytes of `servos` at their positions in `pose`: the one place they are built.
  ByteString FramesOf(const Pose& pose, std::span<const int> servos) const;

 private:
  friend class ArmRun;
  // Writes unless halted; the servos count as received once written. False when nothing
  // more may be written.
  bool Send(const Pose& pose, std::span<const int> servos);
  // Asked after every wait: once true, nothing more is written in this motion.
  bool Stopped();
  // The straight line from the hand as it is (arm_gate_line.cpp).
  bool RunLine(const ToolPoint& to, ArmRun& run);

  ArmLine& line_;
  GateSettings settings_;
  std::unique_ptr<Board> board_;
  Pose received_{};
  bool busy_ = false;
  bool stopped_ = false;
  uint64_t writes_ = 0;
};

// One motion of the arm: while it lives, the gate refuses every other (EArmBusy). Playback holds
// one for the whole script and plays its commands through it, on one schedule.
class ArmRun {
 public:
  // `pace`: the play speed, 1 for 100 %; waits are divided by it and the limits' speeds
  // multiplied (accelerations by its square), fractions kept.
  explicit ArmRun(ArmGate& gate, double pace = 1);
  ~ArmRun();
  ArmRun(const ArmRun&) = delete;
  ArmRun& operator=(const ArmRun&) = delete;

  // A new play speed for what follows (a script's S line).
  void SetPace(double pace) { pace_ = pace > 0 ? pace : 1; }
  // What the arm received so far.
  const Pose& received() const { return gate_.received(); }
  uint64_t writes() const { return gate_.writes(); }
  // True once halted or a write did not go out: nothing more is sent.
  bool stopped() { return gate_.Stopped(); }
  // A classic move: `servo` to `value` held within its limits in one frame, then the wait of
  // the distance to the raw value, 20 ms a position.
  bool Step(int servo, int value);
  // Holding still for `span`: in smooth motion on the tick grid, so servos the line's budget
  // left behind catch up meanwhile.
  bool Pause(ScheduleClock::Duration span);
  // The moves of consecutive script lines, each naming another servo: classic steps them one
  // by one, smooth glides them together, taking at least `requestedMs`. `starting(k)` is
  // called as move k begins.
  struct ServoMove {
    int servo = 0;
    int value = 0;
  };
  bool Moves(std::span<const ServoMove> moves, int64_t requestedMs,
             const std::function<void(size_t)>& starting);
  // A coordinated move of every servo to `target` under the limits, taking at least
  // `requestedMs` (at 100 %).
  bool Glide(const Pose& target, int64_t requestedMs = 0);
  // The servos' due positions, tick by tick; the budget of the line and the halt as any move.
  bool Through(std::span<const Pose> poses);
  // A taught path: in smooth motion one path through `samples` that stops only at its end
  // (timed_path.h); classic steps each sample's changed servos. `starting(j)` is called as
  // the arm heads for sample j.
  bool Taught(std::span<const TimedSample> samples, const std::function<void(size_t)>& starting);

 private:
  ScheduleClock::Duration Paced(ScheduleClock::Duration span) const;
  bool Run(const MotionPlan& plan);
  // One tick of a move: what the line's budget allows of the servos not yet at `wanted`.
  bool SendDue(const Pose& wanted);

  ArmGate& gate_;
  double pace_;
  Timeline timeline_;
  LineBudget budget_;
};

// The waits a classic move makes: 20 ms a position travelled.
inline constexpr std::chrono::milliseconds kClassicMsPerPosition{20};
