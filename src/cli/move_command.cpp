// vantrel move X Y Z: the window's Move with the coordinates from the command line.

#include <optional>

#include "applied_settings.h"
#include "cli_commands.h"
#include "errors.h"
#include "home_pose.h"
#include "move_to_point.h"
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
  MovePlan plan;
  try {
    MoveWithin(xyz[0], xyz[1], xyz[2], ws, moved, clamp ? MoveRule::Clamp : MoveRule::Refuse,
               &plan);
  } catch (const EConvertError& e) {
    throw UsageError(e.detail().empty() ? e.what() : e.what() + (" - " + e.detail()));
  }

  // A clamped point goes straight to its solution; any other may go along a straight line.
  std::optional<ToolPoint> along;
  if (!clamp) along = ParseTarget(xyz[0], xyz[1], xyz[2]);
  CliArm arm(settings, RunPortName(settings, args));
  const int status = SendArmTo(arm, PoseOf(moved), env, along);
  if (clamp) {
    if (!plan.accepted()) {
      std::fprintf(env.out, "%s\n", TrFormat("clamped: {1}", {plan.reason}).c_str());
    }
    const ToolPoint at = ToolPointFromPositions(arm.state.position, ws.arm);
    std::fprintf(env.out, "%s\n", TrFormat("tool point at {1} cm", {FormatPoint(at)}).c_str());
  }
  return status;
}
