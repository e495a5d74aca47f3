// vantrel read: where the board says its servos stand (and, for bus servos, how they fare),
// once or, with --watch, whenever it changes.
#include <chrono>
#include <optional>

#include "board_factory.h"
#include "board_reader.h"
#include "cli_clock.h"
#include "cli_commands.h"
#include "errors.h"
#include "port_reply_line.h"
#include "translate.h"

namespace {

constexpr auto kWatchPause = std::chrono::milliseconds(100);

std::string ReadingText(const BoardReading& reading) {
  std::string positions;
  for (int s = 1; s <= kServoCount; ++s) {
    const ServoReading& r = reading.servos[s];
    positions += s > 1 ? " " : "";
    positions += r.noTarget || !r.position ? "-" : std::to_string(*r.position);
  }
  std::string text = TrFormat("servos 1-6 at {1}", {positions}) + "\n";
  for (int s = 1; s <= kServoCount; ++s) {
    const ServoReading& r = reading.servos[s];
    if (!r.celsius && !r.millivolts && !r.loadPermille) continue;
    std::string health;
    if (r.celsius) health += TrFormat("{1} °C", {std::to_string(*r.celsius)});
    if (r.millivolts) {
      char volts[16];
      std::snprintf(volts, sizeof volts, "%.1f", *r.millivolts / 1000.0);
      health += (health.empty() ? "" : ", ") + TrFormat("{1} V", {volts});
    }
    if (r.loadPermille) {
      health += (health.empty() ? "" : ", ") +
                TrFormat("load {1} %", {std::to_string(*r.loadPermille / 10)});
    }
    if (r.overload) health += ", " + std::string(Tr("overload"));
    text += TrFormat("servo {1}: {2}", {std::to_string(s), health}) + "\n";
  }
  return text;
}

}  // namespace

int RunRead(const ParsedArgs& args, CliEnvironment& env) {
  const OptionStore settings = LoadRunSettings(args, env);
  CliArm arm(settings, RunPortName(settings, args), false);
  const Board& board = arm.board();
  if (!board.Answers()) {
    throw EDetailedError(TrFormat("The {1} board does not tell where its servos stand",
                                  {BoardFamilyName(board.family())}));
  }
  std::optional<SignalClock> signalClock;
  CliClock& clock = env.clock ? *env.clock : signalClock.emplace();
  BoardReader reader(board, true);
  PortReplyLine line(arm.port);
  std::string shown;
  do {
    const auto reading = reader.ReadAll(line);
    if (!reading) throw EDetailedError(reader.fault());
    const std::string text = ReadingText(*reading);
    if (text != shown) {
      std::fputs(text.c_str(), env.out);
      std::fflush(env.out);
      shown = text;
    }
    if (!args.Has("--watch")) break;
    clock.SleepFor(kWatchPause);
  } while (!clock.StopRequested());
  return kExitOk;
}
