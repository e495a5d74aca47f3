// The command line: "vantrel play|move|check|ports ...". It drives the same code as the window
// without one: no display, no QApplication.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CliClock;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStopped = 130;

// What a run talks to; tests replace the parts they need.
struct CliEnvironment {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // Where play reads the operator's Enter at a W line.
  int inFd = 0;
  // Whether `err` is a terminal; unset: ask the system.
  std::optional<bool> errIsTerminal;
  // Null: play runs on the steady clock with SIGINT and SIGTERM turned into a stop.
  CliClock* clock = nullptr;
  // Empty: the settings file the window would use (or the shipped defaults, where the
  // window would first copy them).
  std::string defaultSettings;
  std::string ttyClassDir = "/sys/class/tty";
  std::string byIdDir = "/dev/serial/by-id";
  std::string devDir = "/dev";
  std::string procDir = "/proc";
};

// True for the name of a subcommand.
bool IsCliCommand(std::string_view word);

// The program's arguments when they name a subcommand: the subcommand first, then the options
// given before it, then the words after it. The command is the first word that is neither an
// option nor an option's value; empty when there is none and the window is wanted.
std::vector<std::string> CommandWords(int argc, const char* const* argv);

// Runs `words[0]` (a subcommand) with the words after it; returns the exit status. Results go
// to `out`, progress and errors ("vantrel: <message>") to `err`. Output that could not be
// written fails the run, as FinishOutput says.
int RunCli(const std::vector<std::string>& words, CliEnvironment& env);

// Flushes `out`; when it or an earlier write to it failed, says so on `err` ("Unable to write to
// standard output" and the system's reason) and turns a status of 0 into 1.
int FinishOutput(std::FILE* out, std::FILE* err, int status);

// The program's own usage: the window's options and the subcommands.
void PrintProgramUsage(std::FILE* to);
