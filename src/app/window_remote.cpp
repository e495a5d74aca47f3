#include "window_remote.h"

#include <QApplication>

#include "error_report.h"
#include "errors.h"
#include "main_window.h"
#include "options_form.h"
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

}  // namespace

void TWindowRemote::Follow(std::unique_ptr<TWindowRemote>& remote, TfrmVantrel& window) {
  if (remote && remote->serving_ > 0) {
    QTimer::singleShot(remote->Tick(), &window,
                       [&remote, &window] { RunGuarded([&] { Follow(remote, window); }); });
    return;
  }
  const OptionStore& settings = window.options()->store();
  const BrokerSettings broker = BrokerSettingsOf(settings);
  SessionOptions options = SessionOptionsOf(settings);
  if (remote && remote->link_.settings() == broker &&
      remote->session_.options().control == options.control &&
      remote->session_.options().maxAge == options.maxAge) {
    return;
  }
  // The old link says offline and leaves before the new one, of the same client name, comes.
  remote.reset();
  if (!broker.host.empty()) remote = std::make_unique<TWindowRemote>(window, broker, options);
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
  ++serving_;
  struct Served {
    int& depth;
    ~Served() { --depth; }
  } served{serving_};
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
  // A goal written to a limp arm would drive it.
  if (window_.limp().active()) throw EDetailedError(Tr("the arm is limp"));
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
  // Stopped in the window (Stop, Esc, a servo out of bounds) and not by the broker: the
  // command did not do what it asked, and its reply says so.
  if (window_.Halted() && !halted()) {
    const std::string& alarm = window_.boardWatch().alarm();
    throw EDetailedError(alarm.empty() ? Tr("halted") : alarm);
  }
}

void TWindowRemote::Drive(const ServoState& moved, const std::optional<ToolPoint>& along,
                          const HaltCheck&) {
  window_.GoTo(PoseOf(moved), along, moved.direction);
}

void TWindowRemote::PlayChecked(const TRoboPath& script, const PlayOptions& options,
                                const HaltCheck&) {
  SentScriptPlayback host(window_, line_);
  PlayScript(script, window_.gate(), host, options);
}

void TWindowRemote::Resume() {
  window_.btContinueClick();
}

void TWindowRemote::Halt() {
  window_.Halt();
}

const ServoState& TWindowRemote::Servos() const {
  return window_.state;
}
std::optional<ServoPose> TWindowRemote::PoseRead() const {
  return window_.boardWatch().measured();
}
const ServoTables& TWindowRemote::Tables() const {
  return window_.servoTables();
}
Workspace TWindowRemote::Reach() const {
  return window_.workspace();
}
const OptionStore& TWindowRemote::Settings() const {
  return window_.options()->store();
}
const GateSettings& TWindowRemote::Gate() const {
  return window_.gate().settings();
}
Pose TWindowRemote::PlayStart() const {
  return window_.gate().received();
}
bool TWindowRemote::Connected() const {
  return window_.ComPort1.Connected();
}
bool TWindowRemote::Playing() const {
  return window_.state.runState == 2;
}
bool TWindowRemote::Waiting() const {
  return window_.waiting_;
}
