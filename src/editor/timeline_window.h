// The timeline window: the script as a picture, kept up to date while it is shown, with a
// cursor that follows playback.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "schedule_clock.h"
#include "timeline_model.h"

namespace Ui {
class TfrmTimeline;
}
class TTimelineView;

// The arm a script is pictured on: where it starts, its limits, how it moves, at what speed.
struct TimelineArm {
  Pose start{};
  GateSettings settings;
  int speedPercent = 100;
  BelowTable belowTable;
};

// The window that owns the arm tells where it stands, for timelines opened where the arm is not
// at hand (the command editor). Without one the arm stands in the middle with limits 0..254.
void SetTimelineArmSource(std::function<TimelineArm()> source);
TimelineArm CurrentTimelineArm();

class TfrmTimeline : public QWidget {
  Q_OBJECT

 public:
  using CommandsSource = std::function<std::vector<TServoCommand>()>;

  // A window of its own, above `parent`, picturing what `commands` answers.
  explicit TfrmTimeline(CommandsSource commands, QWidget* parent = nullptr);
  ~TfrmTimeline() override;

  // Builds the picture anew when the commands or the arm changed; true when it did. Runs
  // by itself while the window is shown, except during playback.
  bool Refresh();

  // Playback runs command `index`; the cursor moves on by `clock` from now until it ends.
  void CommandStarting(int index, ScheduleClock& clock);
  void PlaybackEnded();

  TTimelineView* view() const;
  // A point of command `command` (0-based) was clicked.
  std::function<void(int command)> onCommandClicked;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Scripts up to this long are pictured at once; longer ones on a worker.
  static constexpr size_t kBuildHereCommands = 400;

  void MoveCursor();
  void Show(TimelineModel model, bool smooth, size_t count);

  std::unique_ptr<Ui::TfrmTimeline> ui_;
  CommandsSource commands_;
  // What the picture was built from, as numbers: a change in any of them rebuilds it.
  std::vector<int64_t> builtFrom_;
  uint64_t builds_ = 0;  // the newest build's number: an older one's picture is dropped
  QTimer refreshTimer_;
  QTimer cursorTimer_;
  ScheduleClock* clock_ = nullptr;
  ScheduleClock::TimePoint commandStarted_{};
  int playing_ = -1;
  // The step of the picture playing: the pass of a loop, not only the command.
  size_t step_ = 0;
};
