// vantrel play FILE.vco: the window's playback with the arm on a port and progress on
// standard error instead of the window.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>

#include "applied_settings.h"
#include "cli_clock.h"
#include "cli_commands.h"
#include "com_error.h"
#include "error_report.h"
#include "halting_clock.h"
#include "int_parse.h"
#include "playback.h"
#include "playing_time.h"
#include "progress.h"
#include "regular_file.h"
#include "script_line.h"
#include "table_check.h"
#include "translate.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::duration_cast;
using std::chrono::milliseconds;

// The run's port as the gate writes to it, and where playback has got to on standard error.
class CliPlayback : public PlaybackHost, public ArmLine {
 public:
  CliPlayback(CliArm& arm, const TRoboPath& script, CliClock& clock, Progress& progress,
              const PlayOptions& options, const CliEnvironment& env, bool waits)
      : env_(env),
        waits_(waits),
        arm_(arm),
        script_(script),
        clock_(clock),
        progress_(progress),
        // The same dry run as the timeline's, at the speed played; only the progress text
        // shows it, so a quiet run makes none.
        waitsLeft_(progress.mode() == Progress::Mode::Quiet
                       ? std::vector<int64_t>{}
                       : WaitsLeft(CommandWaits(script, PoseOf(arm.state), arm.gate,
                                                options.speedPercent))),
        repeat_(options.repeat),
        start_(clock.Now()),
        // A terminal's line is redrawn once a second while a wait lasts.
        runClock_(
            clock, [this] { return Stopping(); },
            progress.mode() == Progress::Mode::Redraw ? ScheduleClock::Duration(1s)
                                                      : ScheduleClock::Duration::max(),
            [this] { progress_.Tick(Text()); }) {}

  ScheduleClock& Clock() override { return runClock_; }
  bool Halted() override { return Stopping(); }

  bool Write(const ByteString& frames) override {
    try {
      arm_.Send(frames, runClock_);
    } catch (const EComPort& e) {
      // A stop cut the write to a line that took nothing more: stopped, not failed.
      if (e.systemError != ECANCELED || !Stopping()) throw;
      return false;
    }
    framesSent_ += frames.size() / kFrameSize;
    return true;
  }

  void CommandStarting(int index, int) override {
    // Each pass of a repeat starts again from the top.
    if (started_ && index == 0) ++pass_;
    index_ = index;
    // Quiet, the progress text is never shown: making it would cost more than the frame.
    if (progress_.mode() == Progress::Mode::Quiet) return;
    // The dry run went through one pass with its loops as played; a pass that starts again
    // (a repeat, a jump to the first line) counts from its start, and a loop for ever shows
    // the end of its first pass.
    step_ = index == 0 || !started_ ? 0 : std::min(step_ + 1, waitsLeft_.size() - 2);
    started_ = true;
    commandStart_ = clock_.Now();
    progress_.Command(Text());
  }

  // Holds the arm until a line comes on standard input; a stop or the end of the input ends
  // the run instead.
  bool WaitForOperator() override {
    if (!waits_) return true;
    progress_.Finish();
    std::fprintf(env_.err, "%s\n", Tr("Waiting: press Enter"));
    std::fflush(env_.err);
    for (;;) {
      pollfd fds[2] = {{env_.inFd, POLLIN, 0}, {clock_.StopFd(), POLLIN, 0}};
      const int ready = ::poll(fds, clock_.StopFd() >= 0 ? 2 : 1, 200);
      if (Stopping()) return false;
      if (ready < 0 && errno != EINTR) throw std::runtime_error(SystemErrorText(errno));
      if (ready <= 0 || fds[0].revents == 0) continue;
      char c = 0;
      const ssize_t n = ::read(env_.inFd, &c, 1);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) {
        inputEnded_ = true;
        return false;
      }
      if (c == '\n') return true;
    }
  }

  bool stopped() const { return stopped_; }
  bool inputEnded() const { return inputEnded_; }
  // "command 12 of 240, M;3;140"
  std::string Where() const {
    return Pass() +
           TrFormat("command {1} of {2}, {3}",
                    {std::to_string(index_ + 1), std::to_string(script_.count()), CommandText()});
  }
  int64_t ElapsedMs() { return duration_cast<milliseconds>(clock_.Now() - start_).count(); }
  uint64_t framesSent() const { return framesSent_; }

 private:
  bool Stopping() {
    if (clock_.StopRequested()) stopped_ = true;
    return stopped_;
  }

  std::string CommandText() const {
    return index_ < script_.count() ? FormatScriptLine(script_.getItem(index_)) : std::string();
  }

  std::string Text() {
    const auto now = clock_.Now();
    const size_t i = step_;
    const int64_t inCommand = duration_cast<milliseconds>(now - commandStart_).count();
    const int64_t left = std::max(waitsLeft_[i + 1], waitsLeft_[i] - inCommand);
    return Pass() + ProgressText(index_ + 1, script_.count(), CommandText(),
                                 duration_cast<milliseconds>(now - start_).count(), left);
  }

  // "pass 2 of 3, " while a script plays more than once; nothing when it plays once.
  std::string Pass() const {
    if (repeat_ == 1) return {};
    if (repeat_ == PlayOptions::kRepeatForever) {
      return TrFormat("pass {1}, ", {std::to_string(pass_)});
    }
    return TrFormat("pass {1} of {2}, ", {std::to_string(pass_), std::to_string(repeat_)});
  }

  const CliEnvironment& env_;
  const bool waits_;
  bool inputEnded_ = false;
  size_t step_ = 0;
  CliArm& arm_;
  const TRoboPath& script_;
  CliClock& clock_;
  Progress& progress_;
  const std::vector<int64_t> waitsLeft_;
  const int repeat_;
  int pass_ = 1;
  const ScheduleClock::TimePoint start_;
  // Playback's time: the run's clock until a stop, then far ahead of it.
  HaltingClock runClock_;
  int index_ = 0;
  bool started_ = false;
  ScheduleClock::TimePoint commandStart_{};
  bool stopped_ = false;
  uint64_t framesSent_ = 0;
};

PlayOptions ParsePlayOptions(const ParsedArgs& args) {
  PlayOptions options;
  if (args.HasValue("--speed")) {
    const auto speed = ParseInteger(args.Value("--speed"), IntSyntax::Settings);
    if (!speed || *speed < PlayOptions::kMinSpeed || *speed > PlayOptions::kMaxSpeed) {
      throw UsageError(TrFormat("--speed takes a percentage from 10 to 400, not '{1}'",
                                {args.Value("--speed")}));
    }
    options.speedPercent = static_cast<int>(*speed);
  }
  if (args.HasValue("--repeat")) {
    const std::string text = args.Value("--repeat");
    const auto repeat = ParseInteger(text, IntSyntax::Settings);
    if (text == "forever") {
      options.repeat = PlayOptions::kRepeatForever;
    } else if (repeat && *repeat >= 1 && *repeat <= PlayOptions::kMaxRepeat) {
      options.repeat = static_cast<int>(*repeat);
    } else {
      throw UsageError(
          TrFormat("--repeat takes a count from 1 to 999 or 'forever', not '{1}'", {text}));
    }
  }
  return options;
}

}  // namespace

int RunPlay(const ParsedArgs& args, CliEnvironment& env) {
  const PlayOptions options = ParsePlayOptions(args);
  const OptionStore settings = LoadRunSettings(args, env);
  TRoboPath script;
  LoadScriptFile(args.positional[0], script);
  // Refused before the port opens, as the window refuses it before it plays.
  RefuseTableCrossing(script, RunStartPose(settings, args), RunGateSettings(settings));

  // The stop is armed before the port opens, so Ctrl-C never leaves the port half set up.
  std::optional<SignalClock> signalClock;
  CliClock& clock = env.clock ? *env.clock : signalClock.emplace();
  CliArm arm(settings, RunPortName(settings, args));
  arm.port.SetWriteCancelFd(clock.StopFd());

  const bool quiet = args.Has("--quiet");
  const bool terminal = env.errIsTerminal.value_or(::isatty(::fileno(env.err)) != 0);
  Progress progress(env.err, quiet      ? Progress::Mode::Quiet
                             : terminal ? Progress::Mode::Redraw
                                        : Progress::Mode::Lines);
  CliPlayback host(arm, script, clock, progress, options, env, !args.Has("--no-wait"));
  ArmGate gate(host);
  gate.Configure(arm.gate);
  gate.Place(PoseOf(arm.state));
  try {
    PlayScript(script, gate, host, options);
  } catch (...) {
    progress.Finish();
    throw;
  }
  progress.Finish();

  const std::string elapsed = FormatDuration(host.ElapsedMs());
  if (host.inputEnded()) {
    std::fprintf(env.err, "%s\n",
                 ErrorLine(TrFormat("the input ended while waiting at {1}, after {2}",
                                    {host.Where(), elapsed}))
                     .c_str());
    return kExitFailure;
  }
  if (host.stopped()) {
    std::fprintf(env.err, "%s\n",
                 ErrorLine(TrFormat("stopped at {1}, after {2}", {host.Where(), elapsed})).c_str());
    return kExitStopped;
  }
  if (!quiet) {
    const auto count = static_cast<unsigned long>(script.count());
    std::fprintf(env.err, "%s\n",
                 FormatText(TrN("played {1} command in {2}", "played {1} commands in {2}", count),
                            {std::to_string(count), elapsed})
                     .c_str());
    if (arm.OnVirtualController()) {
      std::fprintf(env.out, "%s\n", arm.VirtualControllerReport(host.framesSent()).c_str());
    }
  }
  return kExitOk;
}
