// vantrel move X Y Z: the window's Move with the coordinates from the command line.
#include <algorithm>

#include "applied_settings.h"
#include "cli_clock.h"
#include "cli_commands.h"
#include "errors.h"
#include "home_pose.h"
#include "move_to_point.h"

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

  CliArm arm(settings, RunPortName(settings, args));
  std::copy(std::begin(moved.position), std::end(moved.position), arm.state.position);
  std::copy(std::begin(moved.direction), std::end(moved.direction), arm.state.direction);
  arm.Send(frames, env.clock ? *env.clock : SteadyScheduleClock());

  std::string sent = "servos 1-6 sent to";
  for (int i = 1; i <= kServoCount; ++i)
    sent += " " + std::to_string(int{static_cast<uint8_t>(arm.state.position[i])});
  std::fprintf(env.out, "%s\n", sent.c_str());
  if (clamp) {
    if (!plan.accepted()) std::fprintf(env.out, "clamped: %s\n", plan.reason.c_str());
    const ToolPoint at = ToolPointFromPositions(arm.state.position, ws.arm);
    std::fprintf(env.out, "tool point at %s cm\n", FormatPoint(at).c_str());
  }
  if (arm.OnVirtualController()) {
    std::fprintf(env.out, "%s\n", arm.VirtualControllerReport(kServoCount).c_str());
  }
  return kExitOk;
}
