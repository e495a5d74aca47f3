// The commands other programs send an arm over the broker, one JSON object each:
// {"id":..,"do":"move","pose":[p1..p6]}, "move" with "xyz", "home", "halt", "play" with
// "script" and optional "speed" and "repeat", "speed" with "percent", "continue".
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Larger payloads are refused by their size alone, before a byte of them is read.
inline constexpr size_t kMaxCommandBytes = 1024 * 1024;

struct RemoteCommand {
  enum class Kind { Move, MoveTo, Home, Halt, Play, Speed, Continue };

  Kind kind = Kind::Halt;
  // The id as sent (any JSON value), echoed in the reply; "null" when none was given.
  std::string id = "null";
  std::array<int, 6> pose{};
  std::array<double, 3> xyz{};
  std::string script;
  int speedPercent = 100;  // play's "speed" and speed's "percent"
  bool speedGiven = false;
  int repeat = 1;  // 0: forever
};

// What became of a payload: the command, or the reason it was refused and the id, when one
// could be read, for the reply.
struct ParsedCommand {
  bool ok = false;
  RemoteCommand command;
  std::string error;
};

ParsedCommand ParseRemoteCommand(std::string_view payload);
