#include "timeline_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "arm_pose.h"
#include "dry_run.h"
#include "script_flow.h"

namespace {

// The dry run, noting each position sent and when.
class Recording : public DryRun {
 public:
  Recording(const TRoboPath& script, const GateSettings& settings, const Pose& start,
            const BelowTable& belowTable, TimelineModel& model)
      : DryRun(settings, start), script_(script), belowTable_(belowTable), model_(model) {
    for (int s = 1; s <= kServoCount; ++s) model_.servo[s].push_back({0, this->start()[s], -1});
    if (belowTable_) below_ = belowTable_(this->start());
  }

 private:
  void Starting(int index) override {
    EndCommand();
    current_ = index;
    currentStartMs_ = NowMs();
    std::vector<int64_t>& starts = model_.commandStartMs;
    if (index >= static_cast<int>(starts.size())) starts.resize(index + 1, -1);
    // A loop's later passes keep the start of the first.
    if (starts[index] < 0) starts[index] = NowMs();
    model_.steps.push_back({index, NowMs()});
    const TServoCommand& c = script_.getItem(index);
    if (c.letter == 'M' && c.servoId >= 1 && c.servoId <= kServoCount) owner_[c.servoId] = index;
    if (c.letter == kWaitLetter) model_.operatorWaits.push_back({NowMs(), 0, index});
    if (c.letter == kJumpLetter && c.value == kJumpForever) {
      for (int k = 0; k < index; ++k) {
        const TServoCommand& label = script_.getItem(k);
        if (label.letter == kLabelLetter && label.servoId == c.servoId) {
          model_.foreverFromMs = starts[k];
        }
      }
      model_.foreverToMs = NowMs();
    }
  }

 public:
  // A pause ends where the next command starts, or with the script; every pass has its own.
  void EndCommand() {
    if (current_ < 0 || script_.getItem(current_).letter != 'P') return;
    if (NowMs() > currentStartMs_) model_.pauses.push_back({currentStartMs_, NowMs(), current_});
  }

 private:
  // A point for every servo whose position changed since its last one.
  void Wrote(int64_t ms, const Pose& before, const Pose& pose) override {
    for (int s = 1; s <= kServoCount; ++s) {
      std::vector<TimelinePoint>& points = model_.servo[s];
      if (points.back().position == pose[s]) continue;
      // The servo's own line of a coordinated move, else the command running.
      const int command = owner_[s] >= 0 ? owner_[s] : current_;
      if (points.back().ms == ms && points.size() > 1) {
        points.back() = {ms, pose[s], command};  // sent again at the same moment
      } else {
        points.push_back({ms, pose[s], command});
      }
    }
    if (!belowTable_) return;
    // On the way too: a path between two points above the table may dip under it.
    ForEachOnTheWay(before, pose, [&](const Pose& at) {
      const bool below = belowTable_(at);
      if (below != below_) model_.crossings.push_back({ms, current_, below});
      below_ = below;
    });
  }

  const TRoboPath& script_;
  const BelowTable& belowTable_;
  TimelineModel& model_;
  int current_ = -1;
  int64_t currentStartMs_ = 0;
  std::array<int, kServoCount + 1> owner_ = {-1, -1, -1, -1, -1, -1, -1};
  bool below_ = false;
};

}  // namespace

int64_t TimelineModel::StepEndMs(size_t step) const {
  for (size_t k = step + 1; k < steps.size(); ++k) {
    if (steps[k].ms > steps[step].ms) return steps[k].ms;
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

TimelineModel BuildTimelineModel(const TRoboPath& script, const Pose& start,
                                 const GateSettings& settings, int speedPercent,
                                 const BelowTable& belowTable) {
  TimelineModel model;
  Recording run(script, settings, start, belowTable, model);
  run.Play(script, speedPercent);
  run.EndCommand();
  model.totalMs = run.NowMs();
  // Lines never reached (after a loop for ever) start where the script ends.
  for (int64_t& ms : model.commandStartMs) {
    if (ms < 0) ms = model.totalMs;
  }
  return model;
}
