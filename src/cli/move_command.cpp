// vantrel move X Y Z: the window's Move with the coordinates from the command line.

#include "applied_settings.h"
#include "cli_commands.h"
#include "errors.h"
#include "home_pose.h"
#include "move_to_point.h"
#include "straight_line.h"
#include "translate.h"

int RunMove(const ParsedArgs& args, CliEnvironment& env) {
  const OptionStore settings = LoadRunSettings(args, env);
  const std::vector<std::string>& xyz = args.positional;
  const Workspace ws = WorkspaceOf(settings);
  const bool clamp = args.Has("--clamp");

  // Solved before the port opens: coordinates that are no numbers, a point the arm cannot
  // reach or an arm that cannot be solved leave the arm untouched.
  ServoState moved;
  SetStartPose(moved, RunStartPose(settings, args));
  ByteString frames;
  MovePlan plan;
  try {
    frames = MoveWithin(xyz[0], xyz[1], xyz[2], ws, moved,
                        clamp ? MoveRule::Clamp : MoveRule::Refuse, &plan);
  } catch (const EConvertError& e) {
    throw UsageError(e.detail().empty() ? e.what() : e.what() + (" - " + e.detail()));
  }

  // With moveLine a smooth Move goes along the straight line, refused before the port opens
  // when the line leaves the workspace.
  const AppliedSettings applied = ReadAppliedSettings(settings);
  std::vector<Pose> path;
  if (applied.motion.smooth && applied.moveLine && !clamp) {
    ServoState start;
    SetStartPose(start, RunStartPose(settings, args));
    const ToolPoint from = ToolPointFromPositions(start.position, ws.arm);
    const ToolPoint to = ParseTarget(xyz[0], xyz[1], xyz[2]);
    const MotionPlan joints(PoseOf(start), PoseOf(moved), LimitsOf(ws.tables, applied.motion),
                            applied.motion.tickMs);
    const LinePlan line = PlanLine(from, to, ws, LineTicks(Distance(from, to), joints.ticks()));
    if (!line.refused.accepted()) throw EMoveRefused(line.refused.reason);
    path = LinePoses(line, PoseOf(moved));
  }
  CliArm arm(settings, RunPortName(settings, args));
  const int status = SendArmTo(arm, PoseOf(moved), frames, env, path);
  if (clamp) {
    if (!plan.accepted()) {
      std::fprintf(env.out, "%s\n", TrFormat("clamped: {1}", {plan.reason}).c_str());
    }
    const ToolPoint at = ToolPointFromPositions(arm.state.position, ws.arm);
    std::fprintf(env.out, "%s\n", TrFormat("tool point at {1} cm", {FormatPoint(at)}).c_str());
  }
  return status;
}
