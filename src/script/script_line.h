// One line of a script file and the command it stands for.
#pragma once

#include <string>
#include <string_view>

#include "script_model.h"

// Ctrl-Z ends a script file wherever it stands.
inline constexpr char kScriptEndOfFile = '\x1A';

// The command of one line of a script file. `line` is the text between two line ends; every CR
// in it is dropped. The line is split on ";" (quoted stretches keep their ";", empty fields are
// dropped, fields after the third are ignored): the letter is the first character of the first
// field, the servo id and the value are the next two fields as integers kept as their low
// 8 bits. Throws EConvertError for a field that is not an integer and
// std::out_of_range("List index out of bounds (%d)") when a field is missing.
TServoCommand ParseScriptLine(std::string_view line);

// False for the letters that end a field, a line or the file (";", CR, LF, Ctrl-Z): a line
// written with one of them does not read back as the same command.
bool LetterLoadsBack(char letter);

// The error for a command whose letter does not load back; `number` counts commands from 1,
// 0 leaves it out.
EFPError UnloadableLetterError(char letter, int number = 0);

// "letter;servoId;value" without the line end. A quote letter is written doubled so that the
// line reads back as the same command. Throws UnloadableLetterError rather than write a line
// that loads short.
std::string FormatScriptLine(const TServoCommand& command);
