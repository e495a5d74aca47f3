#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "errors.h"
#include "script_line.h"

namespace {

void ExpectCommand(std::string_view line, char letter, int servoId, int value) {
  SCOPED_TRACE(std::string(line));
  const TServoCommand command = ParseScriptLine(line);
  EXPECT_EQ(command.letter, letter);
  EXPECT_EQ(command.servoId, servoId);
  EXPECT_EQ(command.value, value);
}

TEST(ScriptLine, ReadsTheWrittenForm) {
  ExpectCommand("M;3;140", 'M', 3, 140);
  ExpectCommand("P;0;5", 'P', 0, 5);
  ExpectCommand("M;255;0", 'M', 255, 0);
  ExpectCommand("M;007;099", 'M', 7, 99);  // leading zeros are decimal
}

TEST(ScriptLine, LetterIsTheFirstCharacterOfTheFirstField) {
  ExpectCommand("m;1;5", 'm', 1, 5);
  ExpectCommand("X;1;5", 'X', 1, 5);
  ExpectCommand("Move;1;5", 'M', 1, 5);
  ExpectCommand(" M;1;5", ' ', 1, 5);  // blanks are not skipped
}

TEST(ScriptLine, NumbersOutsideAByteAreRefusedNotWrapped) {
  ExpectCommand("M;$1F;$ff", 'M', 31, 255);
  ExpectCommand("M; 1;  5", 'M', 1, 5);  // leading blanks belong to the integer syntax
  for (const char* line : {"M;1;300", "M;1;-1", "M;-256;256", "M;+2;-$1", "M;$100;5",
                           "M;2147483647;-2147483648", "P;0;70000"}) {
    EXPECT_THROW(ParseScriptLine(line), EScriptRangeError) << line;
  }
}

TEST(ScriptLine, ExtraAndEmptyFields) {
  ExpectCommand("M;1;5;9", 'M', 1, 5);
  ExpectCommand("M;1;5;;garbage", 'M', 1, 5);
  ExpectCommand(";;M;;1;;;5;", 'M', 1, 5);
}

TEST(ScriptLine, QuotesHoldSeparatorsAndStayInTheField) {
  ExpectCommand("'a;b';1;5", '\'', 1, 5);
  ExpectCommand("\"x;y\";7;8", '"', 7, 8);
  ExpectCommand("M\"';\";1;5", 'M', 1, 5);  // a single quote inside double quotes is plain text
  // The quote reaches a number field: the whole stretch is its text and does not convert.
  EXPECT_THROW(ParseScriptLine("M;'1;2';5"), EConvertError);
  // An unclosed quote runs to the end of the line, leaving too few fields.
  EXPECT_THROW(ParseScriptLine("M;1;'5"), EConvertError);
  EXPECT_THROW(ParseScriptLine("'M;1;5"), std::out_of_range);
}

TEST(ScriptLine, CarriageReturnsAreDropped) {
  ExpectCommand("M;1;5\r", 'M', 1, 5);
  ExpectCommand("M;1\r2;5", 'M', 12, 5);
  ExpectCommand("\rM;\r1;5\r\r", 'M', 1, 5);
  ExpectCommand("M;;\r;1;5", 'M', 1, 5);
}

TEST(ScriptLine, RejectsMissingFieldsAndBadNumbers) {
  for (const char* line : {"", "\r", "M", "M;1", "M;;5", ";;;", "M;1;;"}) {
    SCOPED_TRACE(line);
    EXPECT_THROW(ParseScriptLine(line), std::out_of_range);
  }
  try {
    ParseScriptLine("M;1 ;5");
    ADD_FAILURE() << "a trailing blank converted";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'1 ' is not a valid integer value");
  }
  for (const char* line : {"M;x;5", "M;1;5x", "M;0x10;5", "M;1;2147483648", "M;1; ", "M;1;$"}) {
    SCOPED_TRACE(line);
    EXPECT_THROW(ParseScriptLine(line), EConvertError);
  }
}

TEST(ScriptLine, FormatsWithoutBlanksOrLeadingZeros) {
  EXPECT_EQ(FormatScriptLine({'M', 3, 140}), "M;3;140");
  EXPECT_EQ(FormatScriptLine({'P', 0, 5}), "P;0;5");
  EXPECT_EQ(FormatScriptLine({'x', 255, 0}), "x;255;0");
}

TEST(ScriptLine, EveryLetterThatCanBeReadIsWrittenBackTheSame) {
  for (int c = 0; c < 256; ++c) {
    const char letter = static_cast<char>(c);
    // These end a field, a line or the file and so never come out of a file.
    if (!LetterLoadsBack(letter)) continue;
    SCOPED_TRACE(c);
    const TServoCommand command{letter, static_cast<uint8_t>(c), static_cast<uint8_t>(255 - c)};
    ExpectCommand(FormatScriptLine(command), command.letter, command.servoId, command.value);
  }
}

TEST(ScriptLine, LettersThatEndAFieldALineOrTheFileAreRefused) {
  const std::pair<char, const char*> refused[] = {
      {';', "';'"}, {'\r', "CR"}, {'\n', "LF"}, {'\x1A', "Ctrl-Z"}};
  for (const auto& [letter, name] : refused) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(LetterLoadsBack(letter));
    try {
      FormatScriptLine({letter, 1, 5});
      ADD_FAILURE() << "written";
    } catch (const EFPError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("The command cannot be saved: its letter ") +
                                           name + " would not load back from a script file");
    }
  }
  int loadable = 0;
  for (int c = 0; c < 256; ++c) loadable += LetterLoadsBack(static_cast<char>(c)) ? 1 : 0;
  EXPECT_EQ(loadable, 252);
}

}  // namespace
