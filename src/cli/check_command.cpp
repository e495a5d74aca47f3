// vantrel check FILE.vco: what a script will do, worked out without a port.
#include <algorithm>

#include "applied_settings.h"
#include "cli_commands.h"
#include "playing_time.h"
#include "progress.h"
#include "script_line.h"
#include "smooth_playback.h"
#include "table_check.h"

namespace {

struct ServoRange {
  int lowest = 256;
  int highest = -1;
  int clippedBelow = 0;  // commands the lower limit raises
  int clippedAbove = 0;  // commands the upper limit lowers
};

int64_t PlayingTime(const TRoboPath& script, const ServoState& start, const ServoTables& tables,
                    const MotionConfig& motion) {
  int64_t total = 0;
  for (const int64_t wait : CommandWaits(script, start, tables, motion)) total += wait;
  return total;
}

std::string Commands(int n) {
  return std::to_string(n) + (n == 1 ? " command" : " commands");
}

}  // namespace

int RunCheck(const ParsedArgs& args, CliEnvironment& env) {
  const OptionStore settings = LoadRunSettings(args, env);
  const std::string& path = args.positional[0];
  TRoboPath script;
  LoadScriptFile(path, script);

  ServoState start;
  SetStartPositions(start);
  const ServoTables& tables = settings.tables;
  // The mode of the settings first, then the other one.
  MotionConfig motion = ReadAppliedSettings(settings).motion;
  const bool smooth = motion.smooth;
  const std::string time = FormatDuration(PlayingTime(script, start, tables, motion));
  motion.smooth = !smooth;
  const std::string other = FormatDuration(PlayingTime(script, start, tables, motion));
  std::fprintf(env.out, "%s: %s, %s to play from the start positions (%s; %s %s)\n", path.c_str(),
               Commands(script.count()).c_str(), time.c_str(), smooth ? "smooth" : "classic",
               other.c_str(), smooth ? "classic" : "smooth");

  ServoRange range[kServoCount + 1];
  std::vector<std::string> skipped;
  for (int i = 0; i < script.count(); ++i) {
    const TServoCommand& c = script.getItem(i);
    const std::string where = "line " + std::to_string(i + 1) + ": " + FormatScriptLine(c);
    if (c.letter == 'P' || c.letter == kTimedMoveLetter) continue;
    if (c.letter != 'M') {
      skipped.push_back(where + ": unknown letter, skipped when played");
      continue;
    }
    if (c.servoId < 1 || c.servoId > kServoCount) {
      skipped.push_back(where + ": no servo " + std::to_string(c.servoId) +
                        " on the arm (1..6), skipped when played");
      continue;
    }
    ServoRange& r = range[c.servoId];
    r.lowest = std::min<int>(r.lowest, c.value);
    r.highest = std::max<int>(r.highest, c.value);
    // The clamp playback applies, asked directly.
    ServoState probe;
    probe.position[c.servoId] = c.value;
    ClampServo(probe, tables, c.servoId);
    if (probe.position[c.servoId] > c.value) ++r.clippedBelow;
    if (probe.position[c.servoId] < c.value) ++r.clippedAbove;
  }

  std::fprintf(env.out, "servo  lowest  highest  limits\n");
  for (int s = 1; s <= kServoCount; ++s) {
    const ServoRange& r = range[s];
    const std::string limits =
        std::to_string(tables.Minval[s]) + ".." + std::to_string(tables.Maxval[s]);
    std::string line;
    if (r.highest < 0) {
      line = "  " + std::to_string(s) + "         -        -  " + limits;
    } else {
      char head[64];
      std::snprintf(head, sizeof head, "  %d  %6d  %7d  ", s, r.lowest, r.highest);
      line = head + limits;
    }
    if (r.clippedBelow > 0) {
      line +=
          "  clipped: " + Commands(r.clippedBelow) + " below " + std::to_string(tables.Minval[s]);
    }
    if (r.clippedAbove > 0) {
      line += std::string(r.clippedBelow > 0 ? "," : "  clipped:") + " " +
              Commands(r.clippedAbove) + " above " + std::to_string(tables.Maxval[s]);
    }
    std::fprintf(env.out, "%s\n", line.c_str());
  }
  for (const std::string& s : skipped) std::fprintf(env.out, "%s\n", s.c_str());
  const Workspace ws = WorkspaceOf(settings);
  if (const auto crossing = FindTableCrossing(script, start, ws)) {
    std::fprintf(env.out, "%s\n", DescribeTableCrossing(script, *crossing, ws).c_str());
  }
  return kExitOk;
}
