// A command written as a line reads back as the same command, and a written line is one line.
// The input is a command (its first three bytes) followed by a line to read.
#include <stdexcept>
#include <string>

#include "errors.h"
#include "fuzz_support.h"
#include "script_line.h"

namespace {

bool Same(const TServoCommand& a, const TServoCommand& b) {
  return a.letter == b.letter && a.servoId == b.servoId && a.value == b.value;
}

// Writes the command and reads it back; a letter that would not load back must be refused.
void WriteAndRead(const TServoCommand& command) {
  std::string line;
  try {
    line = FormatScriptLine(command);
  } catch (const EFPError&) {
    FUZZ_CHECK(!LetterLoadsBack(command.letter));
    return;
  }
  FUZZ_CHECK(LetterLoadsBack(command.letter));
  FUZZ_CHECK(line.find_first_of(std::string("\r\n\x1A", 3)) == std::string::npos);
  FUZZ_CHECK(Same(ParseScriptLine(line), command));
  // As it stands in a file, before the reader splits at LF.
  FUZZ_CHECK(Same(ParseScriptLine(line + "\r"), command));
}

}  // namespace

void FuzzScriptLine(std::string_view data) {
  FuzzReader input(data);
  const TServoCommand written{static_cast<char>(input.Byte()), input.Byte(), input.Byte()};
  WriteAndRead(written);

  // A line of a file never holds LF or Ctrl-Z: the reader ends lines and the file there.
  std::string line(input.Rest());
  for (char& c : line) {
    if (c == '\n' || c == kScriptEndOfFile) c = '\r';
  }
  TServoCommand read;
  try {
    read = ParseScriptLine(line);
  } catch (const EConvertError&) {
    return;
  } catch (const EScriptRangeError&) {
    return;
  } catch (const std::out_of_range&) {
    return;
  }
  WriteAndRead(read);
  FUZZ_CHECK(LetterLoadsBack(read.letter));  // whatever a file holds can be saved again
}

VANTREL_FUZZ_ENTRY(FuzzScriptLine)
