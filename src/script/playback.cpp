#include "playback.h"

#include "script_flow.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

void RecordCommand(TRoboPath& script, char letter, uint8_t servoId, uint8_t value) {
  auto command = std::make_unique<TServoCommand>();
  command->letter = letter;
  command->servoId = servoId;
  command->value = value;
  script.add(std::move(command));
}

void RecordServo(TRoboPath& script, const ServoState& state, int servo) {
  RecordCommand(script, 'M', static_cast<uint8_t>(servo),
                static_cast<uint8_t>(state.position[servo]));
}

void RecordAll(TRoboPath& script, const ServoState& state) {
  for (int i = 1; i <= kServoCount; ++i) RecordServo(script, state, i);
}

void RecordPause(TRoboPath& script) {
  RecordCommand(script, 'P', 0, 5);
}

namespace {

bool IsServoMove(const TServoCommand& c) {
  return c.letter == 'M' && c.servoId >= 1 && c.servoId <= kServoCount;
}

// Teaching writes its samples as a T line and the M lines of the servos that moved, one sample
// after the other: two or more of them in a row are a taught path.
struct TaughtRun {
  std::vector<TimedSample> samples;
  std::vector<int> lastCommand;  // of each sample
  int end = 0;                   // the index after the run
};

TaughtRun ReadTaught(const TRoboPath& script, int i, int n, Pose pose) {
  TaughtRun run;
  run.end = i;
  while (i < n) {
    const TServoCommand t = script.getItem(i);
    if (t.letter != kTimedMoveLetter) break;
    bool named[kServoCount + 1] = {};
    int k = i + 1;
    for (; k < n; ++k) {
      const TServoCommand m = script.getItem(k);
      if (!IsServoMove(m) || named[m.servoId]) break;
      named[m.servoId] = true;
      pose[m.servoId] = m.value;
    }
    if (k == i + 1) break;  // a T line that times no move
    run.samples.push_back({pose, t.value * kTimedMoveUnitMs});
    run.lastCommand.push_back(k - 1);
    run.end = i = k;
  }
  return run;
}

// False when the operator's wait ended the run.
bool PlayPass(const TRoboPath& script, ArmRun& run, PlaybackHost& host,
              const PlayOptions& options) {
  // The host has its turn after each write, while the arm travels (the line's Received): a
  // turn after the wait would hold up the next frame. Where nothing was written since the
  // last turn, it gets one here.
  uint64_t turnAt = run.writes();
  const auto pump = [&run, &host, &turnAt] {
    if (run.writes() == turnAt) {
      host.PumpEvents();
      host.PumpEvents();
    }
    turnAt = run.writes();
  };
  int64_t requestedMs = 0;
  const int n = script.count();
  ScriptCursor cursor(script, options.forever);
  for (int i = cursor.Next(); i >= 0 && !run.stopped(); i = cursor.Next()) {
    // getItem raises when a Load or the editor shortened the script meanwhile.
    const TServoCommand c = script.getItem(i);
    host.CommandStarting(i, n);
    run.SetPace(options.pace() * cursor.LinePace() / 100);
    if (IsServoMove(c)) {
      // The move gathers the M lines that follow, up to one that names a servo already in
      // it: that one starts the next move, so a servo recorded twice visits both positions.
      std::array<ArmRun::ServoMove, kServoCount> moves{};
      moves[0] = {c.servoId, c.value};
      size_t count = 1;
      bool named[kServoCount + 1] = {};
      named[c.servoId] = true;
      for (int k = cursor.Position(); k < n; k = cursor.Position()) {
        const TServoCommand next = script.getItem(k);
        if (!IsServoMove(next) || named[next.servoId]) break;
        cursor.Next();
        named[next.servoId] = true;
        moves[count++] = {next.servoId, next.value};
      }
      const int first = i;
      const auto starting = [&, first](size_t k) {
        if (k == 0) return;
        pump();
        host.CommandStarting(first + static_cast<int>(k), n);
      };
      // A move of one servo reports nothing more, and costs no callback on the heap.
      run.Moves(std::span(moves.data(), count), requestedMs,
                count > 1 ? std::function<void(size_t)>(starting) : nullptr);
      requestedMs = 0;
    } else if (c.letter == 'P') {
      run.Pause(std::chrono::seconds(c.value));
    } else if (c.letter == kTimedMoveLetter) {
      const TaughtRun taught = ReadTaught(script, i, n, run.received());
      if (taught.samples.size() < 2) {
        requestedMs = c.value * kTimedMoveUnitMs;
      } else {
        // One path through the samples; their commands are reported as the arm heads for them.
        int reported = i;
        run.Taught(taught.samples, [&](size_t j) {
          while (reported < taught.lastCommand[j]) host.CommandStarting(++reported, n);
          pump();
        });
        while (cursor.Position() >= 0 && cursor.Position() < taught.end) cursor.Next();
        requestedMs = 0;
      }
    } else if (c.letter == kWaitLetter && !host.WaitForOperator()) {
      return false;
    }
    // A loop whose moves change nothing passes no wait: the window still gets its turn.
    pump();
  }
  return true;
}

// Restores the idle look if playback leaves early through an error, so the buttons do not
// stay stuck in "playing"; the tick stays stopped as after any failure.
class IdleOnError {
 public:
  explicit IdleOnError(PlaybackHost& host) : host_(host) {}
  ~IdleOnError() {
    if (armed_) host_.ShowPlaying(false);
  }
  void Disarm() { armed_ = false; }

 private:
  PlaybackHost& host_;
  bool armed_ = true;
};

}  // namespace

void PlayScript(const TRoboPath& script, ArmGate& gate, PlaybackHost& host,
                const PlayOptions& options) {
  RefuseFlowFault(script);
  ArmRun run(gate, options.pace());
  host.StopTick();
  host.ShowPlaying(true);
  IdleOnError restore(host);
  // An empty script is played once, however often it is asked for.
  const bool forever = options.repeat == PlayOptions::kRepeatForever && script.count() > 0;
  bool goOn = true;
  for (int pass = 0; (forever || pass < options.repeat) && goOn && !run.stopped(); ++pass) {
    goOn = PlayPass(script, run, host, options);
  }
  restore.Disarm();
  host.ShowPlaying(false);
  host.StartTick();
}
