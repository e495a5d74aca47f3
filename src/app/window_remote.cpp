#include "window_remote.h"

#include <QApplication>
#include <charconv>

#include "error_report.h"
#include "errors.h"
#include "home_pose.h"
#include "main_window.h"
#include "move_to_point.h"
#include "options_form.h"
#include "serve_arm.h"
#include "table_check.h"
#include "translate.h"

namespace {

// Playback for the session through the window, but for the script's line, which belongs to
// the script sent and not to the one in the window's editor and timeline.
class SentScriptPlayback : public PlaybackHost {
 public:
  SentScriptPlayback(PlaybackHost& window, int& line) : window_(window), line_(line) {}
  void PumpEvents() override { window_.PumpEvents(); }
  void StopTick() override { window_.StopTick(); }
  void StartTick() override { window_.StartTick(); }
  void ShowPlaying(bool playing) override { window_.ShowPlaying(playing); }
  void CommandStarting(int index, int) override { line_ = index + 1; }
  bool WaitForOperator() override { return window_.WaitForOperator(); }

 private:
  PlaybackHost& window_;
  int& line_;
};

std::string Coordinate(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

}  // namespace

std::unique_ptr<TWindowRemote> TWindowRemote::Create(TfrmVantrel& window,
                                                     const OptionStore& settings) {
  const BrokerSettings broker = BrokerSettingsOf(settings);
  if (broker.host.empty()) return nullptr;
  return std::make_unique<TWindowRemote>(window, broker, SessionOptionsOf(settings));
}

TWindowRemote::TWindowRemote(TfrmVantrel& window, const BrokerSettings& broker,
                             SessionOptions options)
    : window_(window),
      link_(broker),
      session_(link_, *this,
               [&] {
                 options.say = [this](const std::string& text) {
                   window_.status.Say(QString::fromStdString(text));
                   PrintError(text);
                 };
                 return options;
               }()),
      wake_(link_.WakeFd(), QSocketNotifier::Read) {
  connect(&wake_, &QSocketNotifier::activated, this, &TWindowRemote::Wake);
  connect(&publish_, &QTimer::timeout, this, [this] { session_.PublishState(); });
  publish_.start(Tick());
}

void TWindowRemote::Wake() {
  RunGuarded([this] {
    // Inside a motion of the session the window pumps its events: only a halt is taken then.
    if (running_) {
      if ((*running_)()) window_.Halt();
    } else {
      session_.Serve();
    }
  });
}

void TWindowRemote::Run(const HaltCheck& halted, const std::function<void()>& motion) {
  // A smooth Move or Home of the window's own holds the tick's signals while it runs.
  if (window_.state.runState == 2 || window_.gate().busy()) {
    throw EDetailedError(Tr("busy with another motion"));
  }
  if (QApplication::activeModalWidget()) throw EDetailedError(Tr("the window has a dialog open"));
  if (!window_.ComPort1.Connected()) {
    throw EDetailedError(TfrmVantrel::tr("Not connected: the arm was not moved").toStdString());
  }
  running_ = &halted;
  struct Done {
    const HaltCheck*& running;
    ~Done() { running = nullptr; }
  } done{running_};
  window_.BeginRun();
  motion();
}

void TWindowRemote::MovePose(const std::array<int, 6>& pose, const HaltCheck& halted) {
  Run(halted, [&] {
    ServoState solved = window_.state;
    ServoPose target{};
    for (int i = 1; i <= kServoCount; ++i) target[i] = pose[i - 1];
    GoToPose(solved, window_.servoTables(), target);
    window_.GoTo(PoseOf(solved), std::nullopt, solved.direction);
  });
}

void TWindowRemote::MoveTo(const std::array<double, 3>& xyz, const HaltCheck& halted) {
  Run(halted, [&] {
    const std::string x = Coordinate(xyz[0]), y = Coordinate(xyz[1]), z = Coordinate(xyz[2]);
    ServoState solved = window_.state;
    MoveWithin(x, y, z, window_.workspace(), solved, MoveRule::Refuse);
    window_.GoTo(PoseOf(solved), ParseTarget(x, y, z), solved.direction);
  });
}

void TWindowRemote::Home(const HaltCheck& halted) {
  Run(halted, [&] {
    ServoState home = window_.state;
    GoToPose(home, window_.servoTables(), HomePose(window_.options()->store()));
    window_.GoTo(PoseOf(home), std::nullopt, home.direction);
  });
}

void TWindowRemote::Play(const std::string& text, int speedPercent, int repeat,
                         const HaltCheck& halted) {
  TRoboPath script;
  LoadScriptText(text, script);
  RefuseTableCrossing(script, window_.gate().received(), window_.gate().settings());
  Run(halted, [&] {
    PlayOptions options;
    options.speedPercent = speedPercent;
    options.repeat = repeat;
    SentScriptPlayback host(window_, line_);
    struct Done {
      int& line;
      ~Done() { line = 0; }
    } done{line_};
    PlayScript(script, window_.gate(), host, options);
  });
}

void TWindowRemote::Continue() {
  if (!window_.waiting_) throw EDetailedError(Tr("Nothing is waiting to be continued"));
  window_.btContinueClick();
}

void TWindowRemote::Halt() {
  window_.Halt();
}

RemoteState TWindowRemote::State() const {
  RemoteState state;
  for (int i = 1; i <= kServoCount; ++i) state.pose[i - 1] = window_.state.position[i];
  state.connected = window_.ComPort1.Connected();
  state.playing = window_.state.runState == 2;
  state.waiting = window_.waiting_;
  state.line = line_;
  return state;
}

std::chrono::milliseconds TWindowRemote::Tick() const {
  return std::chrono::milliseconds(std::max(1, window_.gate().settings().motion.tickMs));
}
