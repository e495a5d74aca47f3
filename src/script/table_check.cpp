#include "table_check.h"

#include <algorithm>
#include <optional>

#include "arm_pose.h"
#include "dry_run.h"
#include "errors.h"
#include "script_line.h"
#include "translate.h"

namespace {

// The dry run, sweeping each write's way.
class Sweep : public DryRun {
 public:
  Sweep(const GateSettings& settings, const Pose& start)
      : DryRun(settings, start), ws_(settings.workspace) {}
  std::optional<TableCrossing> found;

 private:
  void Starting(int index) override { current_ = index; }
  void Wrote(int64_t, const Pose& before, const Pose& pose) override {
    // A write that changed nothing takes the tool point nowhere.
    if (found || pose == before) return;
    // A write starts where the one before it left the arm, whose height is known by then.
    if (!heightOf_ || *heightOf_ != before) {
      heightOf_ = before;
      height_ = ToolPointFromPositions(before, ws_.arm).Y;
    }
    const double was = height_;
    double lowest = was;
    ForEachOnTheWay(before, pose, [&](const Pose& at) {
      height_ = ToolPointFromPositions(at, ws_.arm).Y;
      lowest = std::min(lowest, height_);
    });
    heightOf_ = pose;  // the way ends at `pose`
    if (lowest < ws_.minToolY && lowest < was) found = TableCrossing{current_ + 1, lowest};
  }

  const Workspace& ws_;
  int current_ = 0;
  std::optional<Pose> heightOf_;  // the pose whose tool point is height_ high
  double height_ = 0;
};

}  // namespace

std::optional<TableCrossing> FindTableCrossing(const TRoboPath& script, const Pose& start,
                                               const GateSettings& settings) {
  Sweep run(settings, start);
  run.Play(script);
  return run.found;
}

std::string DescribeTableCrossing(const TRoboPath& script, const TableCrossing& crossing,
                                  const Workspace& ws) {
  return TrFormat(
      "line {1}: {2}: takes the tool point under the table, to Y {3} cm; the table "
      "plane is at Y {4} cm (minToolY)",
      {std::to_string(crossing.line), FormatScriptLine(script.getItem(crossing.line - 1)),
       FigureText(crossing.toolY, std::chars_format::fixed, 2),
       FigureText(ws.minToolY, std::chars_format::general, 6)});
}

void RefuseTableCrossing(const TRoboPath& script, const Pose& start, const GateSettings& settings) {
  if (const auto crossing = FindTableCrossing(script, start, settings)) {
    throw EDetailedError(Tr("The script would take the tool point under the table"),
                         DescribeTableCrossing(script, *crossing, settings.workspace));
  }
}
