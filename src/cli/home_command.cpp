// vantrel home: the window's Home from the command line.
#include "cli_clock.h"
#include "cli_commands.h"
#include "home_pose.h"

int RunHome(const ParsedArgs& args, CliEnvironment& env) {
  const OptionStore settings = LoadRunSettings(args, env);
  CliArm arm(settings, RunPortName(settings, args));
  const ByteString frames = GoToPose(arm.state, arm.tables, HomePose(settings));
  arm.Send(frames, env.clock ? *env.clock : SteadyScheduleClock());
  arm.ReportSent(env.out, kServoCount);
  return kExitOk;
}
