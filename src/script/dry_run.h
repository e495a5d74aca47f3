// A script played through the gate against no arm, on a clock that moves only by waiting: the
// timeline, the playing time and the command line's progress all follow this one run, so
// they follow playback itself (classic waits or smooth moves, at the speed chosen).
#pragma once

#include <cstdint>
#include <functional>

#include "arm_gate.h"
#include "playback.h"
#include "script_model.h"

// The poses the servos pass on their way from `before` to `after`, together, a position at a
// time for the one that goes furthest, `after` last: between two writes the arm's path may dip
// where neither end does.
void ForEachOnTheWay(const Pose& before, const Pose& after,
                     const std::function<void(const Pose&)>& each);

// A dry run stops after this many commands: counted loops nested deep enough would otherwise
// play for years.
inline constexpr size_t kDryRunCommands = 200000;

class DryRun : public PlaybackHost, public ArmLine, private ScheduleClock {
 public:
  DryRun(const GateSettings& settings, const Pose& start);
  ~DryRun() override = default;

  // Plays `script` once from the start pose at `speedPercent`: counted loops unrolled, a loop
  // for ever once, a wait for the operator passed at once, at most kDryRunCommands commands.
  void Play(const TRoboPath& script, int speedPercent = 100);
  int64_t NowMs() const;
  // The pose the gate holds the start at.
  const Pose& start() const { return start_; }

 protected:
  // Command `index` starts at NowMs().
  virtual void Starting(int index) { static_cast<void>(index); }
  // A write left at `ms`, after which the arm holds `pose`; `before` it held that.
  virtual void Wrote(int64_t ms, const Pose& before, const Pose& pose) {
    static_cast<void>(ms);
    static_cast<void>(before);
    static_cast<void>(pose);
  }

 private:
  void CommandStarting(int index, int count) override;
  bool TakesBytes() const override { return false; }
  bool Write(const ByteString& frames) override;
  ScheduleClock& Clock() override { return *this; }
  bool Halted() override { return commands_ >= kDryRunCommands; }
  void Received(const Pose& before, const Pose& now) override;
  TimePoint Now() override { return now_; }
  void SleepUntil(TimePoint when) override;

  ArmGate gate_{*this};
  Pose start_{};
  TimePoint now_{};
  int64_t wroteMs_ = 0;
  size_t commands_ = 0;
};
