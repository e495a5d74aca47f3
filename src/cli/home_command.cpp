// vantrel home: the window's Home from the command line.
#include "cli_commands.h"
#include "home_pose.h"

int RunHome(const ParsedArgs& args, CliEnvironment& env) {
  const OptionStore settings = LoadRunSettings(args, env);
  CliArm arm(settings, RunPortName(settings, args));
  ServoState home = arm.state;
  GoToPose(home, arm.tables, HomePose(settings));
  return SendArmTo(arm, PoseOf(home), env);
}
