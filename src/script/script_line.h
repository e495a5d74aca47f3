// One line of a script file and the command it stands for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "errors.h"
#include "script_model.h"

// Ctrl-Z ends a script file wherever it stands.
inline constexpr char kScriptEndOfFile = '\x1A';

// A servo id, position or pause that is an integer but no byte: "value 300 is outside 0..255".
// Taking its low 8 bits would send the arm to the other end, or pause for minutes.
class EScriptRangeError : public EDetailedError {
 public:
  explicit EScriptRangeError(int64_t value);
};

// A number of a script file or of the command editor: EConvertError when `text` is no integer,
// EScriptRangeError when it is outside 0..255.
uint8_t ScriptByte(std::string_view text);

// The command of one line of a script file. `line` is the text between two line ends; every CR
// in it is dropped. The line is split on ";" (quoted stretches keep their ";", empty fields are
// dropped, fields after the third are ignored): the letter is the first character of the first
// field, the servo id and the value are the next two fields as ScriptByte reads them. Throws
// what ScriptByte throws, and std::out_of_range("List index out of bounds (%d)") when a field
// is missing.
TServoCommand ParseScriptLine(std::string_view line);

// False for the letters that end a field, a line or the file (";", CR, LF, Ctrl-Z): a line
// written with one of them does not read back as the same command.
bool LetterLoadsBack(char letter);

// True for the letters whose servo id names a servo (1..6); the others carry 0 there.
bool LetterTakesServo(char letter);

// The error for a command whose letter does not load back; `number` counts commands from 1,
// 0 leaves it out.
EFPError UnloadableLetterError(char letter, int number = 0);

// "letter;servoId;value" without the line end. A quote letter is written doubled so that the
// line reads back as the same command. Throws UnloadableLetterError rather than write a line
// that loads short.
std::string FormatScriptLine(const TServoCommand& command);
