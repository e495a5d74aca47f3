#include "script_line.h"

#include <array>
#include <stdexcept>

#include "errors.h"
#include "int_parse.h"
#include "translate.h"

namespace {

constexpr int kFieldsUsed = 3;

struct Fields {
  std::array<std::string_view, kFieldsUsed> text;
  int count = 0;
};

bool EndsField(char c) {
  return c == ';' || c == '\r' || c == '\n';
}

// Splits up to three non-empty fields; the rest of the line is not looked at.
Fields Split(std::string_view line) {
  Fields fields;
  size_t i = 0;
  while (i < line.size() && fields.count < kFieldsUsed) {
    const size_t start = i;
    char quote = 0;
    for (; i < line.size(); ++i) {
      const char c = line[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (EndsField(c)) {
        break;
      }
    }
    if (i > start) fields.text[fields.count++] = line.substr(start, i - start);
    if (i < line.size()) ++i;  // past the separator
  }
  return fields;
}

TServoCommand Convert(std::string_view line) {
  const Fields fields = Split(line);
  if (fields.count < kFieldsUsed) {
    throw std::out_of_range(
        TrFormat("List index out of bounds ({1})", {std::to_string(fields.count)}));
  }
  TServoCommand command;
  command.letter = fields.text[0][0];
  command.servoId = ScriptByte(fields.text[1]);
  command.value = ScriptByte(fields.text[2]);
  return command;
}

void AppendDecimal(std::string& text, uint8_t number) {
  if (number >= 100) text += static_cast<char>('0' + number / 100);
  if (number >= 10) text += static_cast<char>('0' + number / 10 % 10);
  text += static_cast<char>('0' + number % 10);
}

}  // namespace

EScriptRangeError::EScriptRangeError(int64_t value)
    : EDetailedError(TrFormat("value {1} is outside 0..255", {std::to_string(value)})) {}

uint8_t ScriptByte(std::string_view text) {
  // Nearly every field is one to three decimal digits: read at once.
  if (!text.empty() && text.size() <= 3) {
    int value = 0;
    for (const char c : text) {
      if (c < '0' || c > '9') {
        value = -1;
        break;
      }
      value = value * 10 + (c - '0');
    }
    if (value >= 0 && value <= 255) return static_cast<uint8_t>(value);
  }
  const auto value = ParseInteger(text, IntSyntax::Script);
  if (!value) throw EConvertError(text);
  if (*value < 0 || *value > 255) throw EScriptRangeError(*value);
  return static_cast<uint8_t>(*value);
}

TServoCommand ParseScriptLine(std::string_view line) {
  // Almost every line ends in the CR of its CR LF; only stray CRs cost a copy.
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.find('\r') == std::string_view::npos) return Convert(line);
  std::string kept;
  for (char c : line) {
    if (c != '\r') kept.push_back(c);
  }
  return Convert(kept);
}

bool LetterLoadsBack(char letter) {
  return letter != ';' && letter != '\r' && letter != '\n' && letter != kScriptEndOfFile;
}

bool LetterTakesServo(char letter) {
  return letter == 'M';
}

EFPError UnloadableLetterError(char letter, int number) {
  std::string name = "';'";
  if (letter == '\r') name = "CR";
  if (letter == '\n') name = "LF";
  if (letter == kScriptEndOfFile) name = "Ctrl-Z";
  if (number > 0) {
    return EFPError(
        TrFormat("Command {1} cannot be saved: its letter {2} would not load back "
                 "from a script file",
                 {std::to_string(number), name}));
  }
  return EFPError(
      TrFormat("The command cannot be saved: its letter {1} would not load back from a script file",
               {name}));
}

std::string FormatScriptLine(const TServoCommand& command) {
  if (!LetterLoadsBack(command.letter)) throw UnloadableLetterError(command.letter);
  std::string text;
  text += command.letter;
  // A lone quote would open a quoted stretch that swallows the rest of the line.
  if (command.letter == '"' || command.letter == '\'') text += command.letter;
  AppendDecimal(text += ';', command.servoId);
  AppendDecimal(text += ';', command.value);
  return text;
}
