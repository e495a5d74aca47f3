#include "cli.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <exception>
#include <span>

#include "cli_commands.h"
#include "error_report.h"
#include "errors.h"
#include "message_field.h"
#include "regular_file.h"
#include "translate.h"

namespace {

struct Command {
  const char* name;
  const char* arguments;  // as the usage shows them
  size_t minArgs;
  size_t maxArgs;
  bool quietOption;
  const char* summary;
  const char* description;
  int (*run)(const ParsedArgs&, CliEnvironment&);
  bool clampOption = false;
  // Options of this command alone, as the usage and the help show them.
  std::span<const OptionSpec> ownOptions = {};
  const char* ownSynopsis = "";  // e.g. "[--speed PCT]"
  const char* ownHelp = "";
};

const OptionSpec kPlayOptions[] = {{"--speed", true}, {"--repeat", true}, {"--no-wait", false}};
const OptionSpec kServeOptions[] = {{"--arm", true}};

// The commands' help, shown through Tr(); option and command names stay as they are.
constexpr const char* kPlayHelp = TrNoop(
    "Plays the script on the arm as the window's Play does: the same frames, the same waits,\n"
    "the same limits. Progress goes to standard error. Ctrl-C stops at once; the frame\n"
    "already sent stays sent, and the status is 130. On the port \"sim\" the frames the\n"
    "virtual controller decoded are printed at the end. A script that would take the tool\n"
    "point under the table is refused, naming the line, before anything is sent.");
constexpr const char* kPlayOptionsHelp = TrNoop(
    "  --speed PCT      play at PCT percent of the script's speed (10 to 400, default 100)\n"
    "  --repeat N       play the script N times (1 to 999, default 1), or 'forever'\n"
    "  --no-wait        go on at once at each W line instead of waiting for Enter");
constexpr const char* kMoveHelp = TrNoop(
    "Solves the arm for the point (Y is up, decimals allowed) with a level hand, as the\n"
    "window's Move does, and prints the positions sent. With motion=smooth the servos\n"
    "start together and arrive together, tick by tick within their svNSpeed and svNAccel\n"
    "limits (with moveLine=1 the tool point goes along a straight line); otherwise the\n"
    "six servos go in one write. The servos not moved are sent at their start position.\n"
    "A point the arm cannot reach (too far, behind the base's turn, under the table,\n"
    "beyond a servo's limits) is refused with the reason, nothing is sent and the status\n"
    "is 1.");
constexpr const char* kHomeHelp = TrNoop(
    "Moves every servo to its svNInitial position within its limits, as the window's Home\n"
    "does, and prints the positions sent.");
constexpr const char* kCheckHelp = TrNoop(
    "Loads the script and reports its commands, how long it plays from the start\n"
    "positions, the range asked of each servo and whether the limits clip it, the\n"
    "commands playback would skip, and the first line that would take the tool point\n"
    "under the table (play refuses such a script). The status is 1 when the file cannot\n"
    "be loaded.");
constexpr const char* kServeHelp = TrNoop(
    "Connects the arm and the MQTT broker of mqttHost and serves it until Ctrl-C or SIGTERM\n"
    "(status 0). The arm's state goes out retained on vantrel/ARM/state as it changes, and\n"
    "vantrel/ARM/online says true (false once it is gone). With mqttControl=1 JSON commands\n"
    "on vantrel/ARM/cmd move the arm through the same limits as the window, each answered\n"
    "on vantrel/ARM/reply. A lost broker is reconnected, and no command from before the loss\n"
    "is run.");
constexpr const char* kServeOptionsHelp =
    TrNoop("  --arm NAME       serve the arm as NAME instead of mqttArm, for this run only");
const OptionSpec kReadOptions[] = {{"--watch", false}};
constexpr const char* kReadHelp = TrNoop(
    "Asks the board where each servo stands and prints the positions, and for bus servos\n"
    "each one's temperature, voltage and load. A board that cannot tell (Vantrel frames,\n"
    "Mini SSC) is an error. A reply that is missing or broken is reported with the servo\n"
    "and the reason, and the status is 1. Nothing moves.");
constexpr const char* kReadOptionsHelp =
    TrNoop("  --watch          print again whenever the reading changes, until Ctrl-C");
constexpr const char* kPortsHelp = TrNoop(
    "Lists the serial ports found on this machine with their stable names and USB\n"
    "device names and whether each is free, in use (by which program) or not found,\n"
    "and the virtual controller \"sim\"; the port of the settings, or of --port, is\n"
    "marked with *.");

const std::array<Command, 7> kCommands{{
    {"play", TrNoop("FILE.vco"), 1, 1, true, TrNoop("play a script on the arm"), kPlayHelp, RunPlay,
     false, kPlayOptions, TrNoop("[--speed PCT] [--repeat N|forever] [--no-wait]"),
     kPlayOptionsHelp},
    {"move", TrNoop("X Y Z"), 3, 3, false, TrNoop("move the tool point to X, Y, Z in centimetres"),
     kMoveHelp, RunMove, true},
    {"home", "", 0, 0, false, TrNoop("move every servo to its home position"), kHomeHelp, RunHome},
    {"read", "", 0, 0, false, TrNoop("print the pose the board reports"), kReadHelp, RunRead, false,
     kReadOptions, TrNoop("[--watch]"), kReadOptionsHelp},
    {"check", TrNoop("FILE.vco"), 1, 1, false, TrNoop("check a script without touching the arm"),
     kCheckHelp, RunCheck},
    {"ports", "", 0, 0, false, TrNoop("list the serial ports of this machine"), kPortsHelp,
     RunPorts},
    {"serve", "", 0, 0, true, TrNoop("serve the arm on the MQTT broker"), kServeHelp, RunServe,
     false, kServeOptions, TrNoop("[--arm NAME]"), kServeOptionsHelp},
}};

// The options every command takes; --quiet is added where it has a meaning.
const OptionSpec kSharedOptions[] = {{"--settings", true}, {"--port", true}, {"--help", false}};

// An option before the command that takes the next word as its value. -platform is the
// toolkit's own, for the window.
bool TakesNextWord(std::string_view word) {
  if (word == "-platform") return true;
  return std::any_of(std::begin(kSharedOptions), std::end(kSharedOptions),
                     [&](const OptionSpec& o) { return o.takesValue && word == o.name; });
}

const Command* FindCommand(std::string_view name) {
  const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                               [&](const Command& c) { return name == c.name; });
  return it == kCommands.end() ? nullptr : &*it;
}

std::string Synopsis(const Command& c) {
  std::string text = std::string("vantrel ") + c.name + " " + Tr("[--settings FILE] [--port NAME]");
  if (c.quietOption) text += " [--quiet]";
  if (c.clampOption) text += " [--clamp]";
  if (*c.ownSynopsis) text += std::string(" ") + Tr(c.ownSynopsis);
  if (*c.arguments) text += std::string(" ") + Tr(c.arguments);
  return text;
}

// "usage: vantrel play ..." on a line of its own.
void PrintSynopsis(const Command& c, std::FILE* to) {
  std::fprintf(to, "%s\n", TrFormat("usage: {1}", {Synopsis(c)}).c_str());
}

// The option lines line up in the column the translation chose, so each comes whole.
void PrintCommandHelp(const Command& c, std::FILE* to) {
  PrintSynopsis(c, to);
  std::fprintf(to, "\n%s\n\n%s\n", Tr(c.description), Tr("options:"));
  std::fprintf(to, "%s\n%s\n", Tr("  --settings FILE  read the settings from FILE (never written)"),
               Tr("  --port NAME      use port NAME instead of comPort, for this run only"));
  if (c.quietOption) std::fprintf(to, "%s\n", Tr("  --quiet          print nothing but errors"));
  if (c.clampOption) {
    std::fprintf(
        to, "%s\n",
        Tr("  --clamp          send a point the arm cannot reach anyway, each servo held at its\n"
           "                   limit and the point raised onto the table, and print where the\n"
           "                   tool point will be"));
  }
  if (*c.ownHelp) std::fprintf(to, "%s\n", Tr(c.ownHelp));
  std::fprintf(to, "%s\n", Tr("  --help           show this help"));
}

int Fail(std::FILE* err, const std::exception& error) {
  std::fprintf(err, "%s\n", ErrorLine(error.what(), DetailOf(error)).c_str());
  return kExitFailure;
}

}  // namespace

std::vector<std::string> CommandWords(int argc, const char* const* argv) {
  int at = 1;
  while (at < argc && argv[at][0] == '-') at += TakesNextWord(argv[at]) ? 2 : 1;
  if (at >= argc) return {};
  std::vector<std::string> words{argv[at]};
  words.insert(words.end(), argv + 1, argv + at);
  words.insert(words.end(), argv + at + 1, argv + argc);
  return words;
}

int FinishOutput(std::FILE* out, std::FILE* err, int status) {
  errno = 0;
  const bool flushed = std::fflush(out) == 0;
  const int error = errno;
  if (flushed && !std::ferror(out)) return status;
  std::fprintf(err, "%s\n",
               ErrorLine(Tr("Unable to write to standard output"),
                         error != 0 ? SystemErrorText(error) : std::string())
                   .c_str());
  return status == kExitOk ? kExitFailure : status;
}

bool IsCliCommand(std::string_view word) {
  return FindCommand(word) != nullptr;
}

void PrintProgramUsage(std::FILE* to) {
  std::fprintf(to, "%s\n\n%s\n\n",
               Tr("usage: vantrel [--settings FILE] [--version] [--help]\n"
                  "       vantrel COMMAND [--settings FILE] [--port NAME] [ARGUMENTS]"),
               Tr("Without a command Vantrel opens its window. The commands need no display:"));
  for (const Command& c : kCommands) {
    const std::string head = std::string(c.name) + " " + Tr(c.arguments);
    std::fprintf(to, "  %-16s %s\n", head.c_str(), Tr(c.summary));
  }
  std::fprintf(to, "\n%s\n", Tr("Run 'vantrel COMMAND --help' to read about one of them."));
}

int RunCommand(const std::vector<std::string>& words, CliEnvironment& env) {
  const Command* command = words.empty() ? nullptr : FindCommand(words[0]);
  if (!command) {
    std::fprintf(env.err, "%s\n",
                 ErrorLine(TrFormat("'{1}' is not a vantrel command",
                                    {words.empty() ? std::string() : MessageField(words[0])}))
                     .c_str());
    PrintProgramUsage(env.err);
    return kExitUsage;
  }
  std::vector<OptionSpec> options(std::begin(kSharedOptions), std::end(kSharedOptions));
  if (command->quietOption) options.push_back({"--quiet", false});
  if (command->clampOption) options.push_back({"--clamp", false});
  options.insert(options.end(), command->ownOptions.begin(), command->ownOptions.end());
  try {
    const ParsedArgs args =
        ParseArgs(std::vector<std::string>(words.begin() + 1, words.end()), options);
    if (args.Has("--help")) {
      PrintCommandHelp(*command, env.out);
      return kExitOk;
    }
    const size_t n = args.positional.size();
    if (n < command->minArgs) throw UsageError(Tr("missing argument"));
    if (n > command->maxArgs) throw UsageError(Tr("too many arguments"));
    return command->run(args, env);
  } catch (const UsageError& e) {
    std::fprintf(env.err, "vantrel %s: %s\n", command->name, e.what());
    PrintSynopsis(*command, env.err);
    return kExitUsage;
  } catch (const std::exception& e) {
    return Fail(env.err, e);
  }
}

int RunCli(const std::vector<std::string>& words, CliEnvironment& env) {
  return FinishOutput(env.out, env.err, RunCommand(words, env));
}
