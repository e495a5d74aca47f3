#include "timeline_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "arm_pose.h"
#include "motion_run.h"
#include "playback.h"

namespace {

using std::chrono::duration_cast;
using std::chrono::milliseconds;

// Playback's host with no arm: it notes each position sent and when, on a clock that moves
// only by waiting.
class RecordingHost : public PlaybackHost, public ScheduleClock {
 public:
  RecordingHost(const TRoboPath& script, const ServoState& start, const ServoTables& tables,
                const MotionConfig& motion, const BelowTable& belowTable, TimelineModel& model)
      : script_(script),
        state_(start),
        tables_(tables),
        motion_(motion),
        belowTable_(belowTable),
        model_(model) {
    // Jogging plays no part in a script's picture.
    StopJogging(state_);
    for (int s = 1; s <= kServoCount; ++s) model_.servo[s].push_back({0, state_.position[s], -1});
    if (belowTable_) below_ = belowTable_(PoseOf(state_));
  }

  ServoState& servoState() override { return state_; }
  const ServoTables& servoTables() const override { return tables_; }
  void StopTick() override {}
  void StartTick() override {}
  void UpdateGauges() override {}
  // A point where the frame leaves, before the pause after it.
  void SendFrames(const ByteString& frames) override {
    if (frames.empty()) return;
    Note();
    SleepFor(kPauseAfterWrite);
  }
  void ShowPlaying(bool) override {}
  void PumpEvents() override {}
  ScheduleClock& Clock() override { return *this; }
  MotionConfig Motion() const override { return motion_; }
  void CommandStarting(int index, int) override {
    current_ = index;
    std::vector<int64_t>& starts = model_.commandStartMs;
    if (index >= static_cast<int>(starts.size())) starts.resize(index + 1, NowMs());
    starts[index] = NowMs();
    const TServoCommand& c = script_.getItem(index);
    if (c.letter == 'M' && c.servoId >= 1 && c.servoId <= kServoCount) owner_[c.servoId] = index;
  }

  TimePoint Now() override { return now_; }
  void SleepUntil(TimePoint when) override { now_ = std::max(now_, when); }

  int64_t NowMs() const { return duration_cast<milliseconds>(now_ - TimePoint{}).count(); }

 private:
  // A point for every servo whose position changed since its last one.
  void Note() {
    const int64_t ms = NowMs();
    for (int s = 1; s <= kServoCount; ++s) {
      std::vector<TimelinePoint>& points = model_.servo[s];
      if (points.back().position == state_.position[s]) continue;
      // The servo's own line of a coordinated move, else the command running.
      const int command = owner_[s] >= 0 ? owner_[s] : current_;
      if (points.back().ms == ms && points.size() > 1) {
        points.back() = {ms, state_.position[s], command};  // sent again at the same moment
      } else {
        points.push_back({ms, state_.position[s], command});
      }
    }
    if (!belowTable_) return;
    const bool below = belowTable_(PoseOf(state_));
    if (below != below_) model_.crossings.push_back({ms, current_, below});
    below_ = below;
  }

  const TRoboPath& script_;
  ServoState state_;
  const ServoTables& tables_;
  MotionConfig motion_;
  const BelowTable& belowTable_;
  TimelineModel& model_;
  TimePoint now_{};
  int current_ = -1;
  std::array<int, kServoCount + 1> owner_ = {-1, -1, -1, -1, -1, -1, -1};
  bool below_ = false;
};

}  // namespace

int64_t TimelineModel::CommandEndMs(int command) const {
  const int n = static_cast<int>(commandStartMs.size());
  if (command < 0 || command >= n) return totalMs;
  for (int k = command + 1; k < n; ++k) {
    if (commandStartMs[k] > commandStartMs[command]) return commandStartMs[k];
  }
  return totalMs;
}

const TimelinePoint* TimelineModel::NearestPoint(int64_t ms, double position,
                                                 double msPerUnit) const {
  const TimelinePoint* best = nullptr;
  double bestDistance = std::numeric_limits<double>::infinity();
  const double scale = msPerUnit > 0 ? msPerUnit : 1;
  for (int s = 1; s <= kServoCount; ++s) {
    for (const TimelinePoint& p : servo[s]) {
      if (p.command < 0) continue;
      const double distance =
          std::hypot(static_cast<double>(p.ms - ms) / scale, p.position - position);
      if (distance < bestDistance) {
        bestDistance = distance;
        best = &p;
      }
    }
  }
  return best;
}

BelowTable TablePlaneOf(const Workspace& ws) {
  return [ws](const Pose& pose) { return ToolPointFromPositions(pose, ws.arm).Y < ws.minToolY; };
}

TimelineModel BuildTimelineModel(const TRoboPath& script, const ServoState& start,
                                 const ServoTables& tables, const MotionConfig& motion,
                                 const BelowTable& belowTable) {
  TimelineModel model;
  RecordingHost host(script, start, tables, motion, belowTable, model);
  int stop = 0;
  PlayScript(script, host, stop);
  model.totalMs = host.NowMs();
  for (int i = 0; i < script.count() && i < static_cast<int>(model.commandStartMs.size()); ++i) {
    const TServoCommand& c = script.getItem(i);
    const int64_t from = model.commandStartMs[i];
    const int64_t to = model.CommandEndMs(i);
    if (c.letter == 'P' && to > from) model.pauses.push_back({from, to, i});
  }
  return model;
}
