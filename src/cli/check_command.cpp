// vantrel check FILE.vco: what a script will do, worked out without a port.
#include <algorithm>

#include "applied_settings.h"
#include "cli_commands.h"
#include "dry_run.h"
#include "playback.h"
#include "playing_time.h"
#include "progress.h"
#include "script_flow.h"
#include "script_line.h"
#include "table_check.h"
#include "translate.h"

namespace {

struct ServoRange {
  int lowest = 256;
  int highest = -1;
  int clippedBelow = 0;  // commands the lower limit raises
  int clippedAbove = 0;  // commands the upper limit lowers
};

// The time of one pass, counted loops unrolled; `counted` tells how many commands ran.
int64_t PlayingTime(const TRoboPath& script, const Pose& start, const GateSettings& settings,
                    size_t& counted) {
  int64_t total = 0;
  const std::vector<int64_t> waits = CommandWaits(script, start, settings);
  for (const int64_t wait : waits) total += wait;
  counted = waits.size();
  return total;
}

std::string Commands(int n) {
  return FormatText(TrN("{1} command", "{1} commands", static_cast<unsigned long>(n)),
                    {std::to_string(n)});
}

// "  clipped: 2 commands below 20, 1 command above 200", or "" when the limits clip nothing.
std::string Clipped(const ServoRange& r, int lower, int upper) {
  const std::string below = Commands(r.clippedBelow);
  const std::string above = Commands(r.clippedAbove);
  const std::string low = std::to_string(lower);
  const std::string high = std::to_string(upper);
  if (r.clippedBelow > 0 && r.clippedAbove > 0) {
    return "  " + TrFormat("clipped: {1} below {2}, {3} above {4}", {below, low, above, high});
  }
  if (r.clippedBelow > 0) return "  " + TrFormat("clipped: {1} below {2}", {below, low});
  if (r.clippedAbove > 0) return "  " + TrFormat("clipped: {1} above {2}", {above, high});
  return {};
}

}  // namespace

int RunCheck(const ParsedArgs& args, CliEnvironment& env) {
  const OptionStore settings = LoadRunSettings(args, env);
  const std::string& path = args.positional[0];
  TRoboPath script;
  LoadScriptFile(path, script);

  Pose start{};
  start.fill(kStartPosition);
  const ServoTables& tables = settings.tables;
  GateSettings gate = RunGateSettings(settings);
  // The mode of the settings first, then the other one.
  const bool smooth = gate.motion.smooth;
  size_t counted = 0;
  const std::string time = FormatDuration(PlayingTime(script, start, gate, counted));
  gate.motion.smooth = !smooth;
  const std::string other = FormatDuration(PlayingTime(script, start, gate, counted));
  gate.motion.smooth = smooth;
  // The mode of the settings named first, and the time in the other mode after it.
  const char* summary =
      smooth ? Tr("{1}: {2}, {3} to play from the start positions (smooth; {4} classic)")
             : Tr("{1}: {2}, {3} to play from the start positions (classic; {4} smooth)");
  std::fprintf(env.out, "%s\n",
               FormatText(summary, {path, Commands(script.count()), time, other}).c_str());
  if (RepeatsForever(script)) {
    std::fprintf(env.out, "%s\n",
                 Tr("The times are of one pass; the script then repeats for ever."));
  }
  if (counted >= kDryRunCommands) {
    std::fprintf(env.out, "%s\n",
                 TrFormat("The times count the first {1} commands played; the script plays on.",
                          {std::to_string(kDryRunCommands)})
                     .c_str());
  }

  ServoRange range[kServoCount + 1];
  std::vector<std::string> skipped;
  for (int i = 0; i < script.count(); ++i) {
    const TServoCommand& c = script.getItem(i);
    const std::string line = std::to_string(i + 1);
    if (c.letter == 'P' || c.letter == kTimedMoveLetter || c.letter == kLabelLetter ||
        c.letter == kJumpLetter || c.letter == kWaitLetter || c.letter == kSpeedLetter) {
      continue;
    }
    if (c.letter != 'M') {
      skipped.push_back(TrFormat("line {1}: {2}: unknown letter, skipped when played",
                                 {line, FormatScriptLine(c)}));
      continue;
    }
    if (c.servoId < 1 || c.servoId > kServoCount) {
      skipped.push_back(
          TrFormat("line {1}: {2}: no servo {3} on the arm (1..6), skipped when played",
                   {line, FormatScriptLine(c), std::to_string(c.servoId)}));
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

  // The figures below stand in fixed columns: the heading lines up with them.
  std::fprintf(env.out, "%s\n", Tr("servo  lowest  highest  limits"));
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
    line += Clipped(r, tables.Minval[s], tables.Maxval[s]);
    std::fprintf(env.out, "%s\n", line.c_str());
  }
  for (const std::string& s : skipped) std::fprintf(env.out, "%s\n", s.c_str());
  if (const auto crossing = FindTableCrossing(script, start, gate)) {
    std::fprintf(env.out, "%s\n", DescribeTableCrossing(script, *crossing, gate.workspace).c_str());
  }
  return kExitOk;
}
