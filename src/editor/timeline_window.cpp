#include "timeline_window.h"

#include <QApplication>
#include <QPointer>
#include <QShowEvent>
#include <QThreadPool>
#include <algorithm>
#include <memory>

#include "timeline_view.h"
#include "translate.h"
#include "ui_timeline_window.h"

namespace {

std::function<TimelineArm()>& ArmSource() {
  static std::function<TimelineArm()> source;
  return source;
}

std::vector<int64_t> Fingerprint(const std::vector<TServoCommand>& commands,
                                 const TimelineArm& arm) {
  std::vector<int64_t> key;
  key.reserve(commands.size() * 3 + 64);
  for (const TServoCommand& c : commands) key.insert(key.end(), {c.letter, c.servoId, c.value});
  // Not the arm's pose: jogging the arm does not make the script another one.
  const MotionConfig& m = arm.settings.motion;
  const ServoTables& t = arm.settings.workspace.tables;
  key.insert(key.end(), {m.smooth, m.tickMs, m.framesPerTick, arm.speedPercent});
  for (int s = 1; s <= kServoCount; ++s) {
    key.insert(key.end(), {t.Minval[s], t.Maxval[s], m.speed[s], m.accel[s]});
  }
  return key;
}

QString SecondsText(int64_t ms) {
  return QString::number(static_cast<double>(ms) / 1000, 'f', 1);
}

}  // namespace

void SetTimelineArmSource(std::function<TimelineArm()> source) {
  ArmSource() = std::move(source);
}

TimelineArm CurrentTimelineArm() {
  if (ArmSource()) return ArmSource()();
  TimelineArm arm;
  arm.start.fill(kStartPosition);
  for (int s = 1; s <= kServoCount; ++s) arm.settings.workspace.tables.Maxval[s] = 254;
  return arm;
}

TfrmTimeline::TfrmTimeline(CommandsSource commands, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ui_(std::make_unique<Ui::TfrmTimeline>()),
      commands_(std::move(commands)) {
  ui_->setupUi(this);
  ui_->view->onCommandClicked = [this](int command) {
    if (onCommandClicked) onCommandClicked(command);
  };
  // Often enough to follow an edit, seldom enough to cost nothing while nothing changes.
  refreshTimer_.setInterval(250);
  connect(&refreshTimer_, &QTimer::timeout, this, [this] { Refresh(); });
  cursorTimer_.setInterval(40);
  connect(&cursorTimer_, &QTimer::timeout, this, &TfrmTimeline::MoveCursor);
  Refresh();
}

TfrmTimeline::~TfrmTimeline() = default;

TTimelineView* TfrmTimeline::view() const {
  return ui_->view;
}

bool TfrmTimeline::Refresh() {
  // While the script plays, the arm's pose is the script's doing, not a new start.
  if (playing_ >= 0) return false;
  const std::vector<TServoCommand> commands = commands_();
  const TimelineArm arm = CurrentTimelineArm();
  std::vector<int64_t> key = Fingerprint(commands, arm);
  if (key == builtFrom_) return false;
  builtFrom_ = std::move(key);
  const uint64_t build = ++builds_;
  // A long script is played through on a worker, the window answering meanwhile; the picture
  // comes once the newest build is done.
  auto work = [commands, arm] {
    TRoboPath script;
    for (const TServoCommand& c : commands) script.add(std::make_unique<TServoCommand>(c));
    return BuildTimelineModel(script, arm.start, arm.settings, arm.speedPercent, arm.belowTable);
  };
  const bool smooth = arm.settings.motion.smooth;
  if (commands.size() <= kBuildHereCommands) {
    Show(work(), smooth, commands.size());
    return true;
  }
  ui_->lbTotal->setText(tr("Building the timeline..."));
  QPointer<TfrmTimeline> self(this);
  QThreadPool::globalInstance()->start([self, work, build, smooth, count = commands.size()] {
    auto model = std::make_shared<TimelineModel>(work());
    QMetaObject::invokeMethod(
        qApp,
        [self, model, build, smooth, count] {
          if (self && self->builds_ == build) self->Show(std::move(*model), smooth, count);
        },
        Qt::QueuedConnection);
  });
  return true;
}

void TfrmTimeline::Show(TimelineModel model, bool smooth, size_t count) {
  const QString mode = smooth ? tr("smooth") : tr("classic");
  ui_->lbTotal->setText(QString::fromStdString(FormatText(
      TrN("Playing time: {1} s ({2}), {3} command", "Playing time: {1} s ({2}), {3} commands",
          count),
      {SecondsText(model.totalMs).toStdString(), mode.toStdString(), std::to_string(count)})));
  ui_->view->SetModel(std::move(model));
}

void TfrmTimeline::CommandStarting(int index, ScheduleClock& clock) {
  const bool first = playing_ < 0;
  if (first) Refresh();  // the picture of what is about to play
  // Playback takes the steps of the picture in turn; past its end (a repeat, another pass of a
  // loop for ever) it takes them up from the start.
  const std::vector<TimelineStep>& steps = ui_->view->model().steps;
  auto next = [&](size_t from) {
    return std::find_if(steps.begin() + static_cast<std::ptrdiff_t>(std::min(from, steps.size())),
                        steps.end(), [&](const TimelineStep& s) { return s.command == index; });
  };
  auto found = next(first ? 0 : step_ + 1);
  if (found == steps.end()) found = next(0);
  step_ = static_cast<size_t>(found - steps.begin());
  playing_ = index;
  clock_ = &clock;
  commandStarted_ = clock.Now();
  MoveCursor();
  cursorTimer_.start();
}

void TfrmTimeline::PlaybackEnded() {
  playing_ = -1;
  cursorTimer_.stop();
  ui_->view->SetCursorMs(-1);
}

void TfrmTimeline::MoveCursor() {
  if (playing_ < 0 || !clock_) return;
  const TimelineModel& model = ui_->view->model();
  if (step_ >= model.steps.size()) return;
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(clock_->Now() - commandStarted_);
  const int64_t from = model.steps[step_].ms;
  ui_->view->SetCursorMs(std::min(from + elapsed.count(), model.StepEndMs(step_)));
}

void TfrmTimeline::showEvent(QShowEvent* event) {
  Refresh();
  refreshTimer_.start();
  QWidget::showEvent(event);
}

void TfrmTimeline::hideEvent(QHideEvent* event) {
  refreshTimer_.stop();
  QWidget::hideEvent(event);
}
