#include <gtest/gtest.h>

#include "errors.h"
#include "int_parse.h"

namespace {

std::optional<int64_t> Settings(const char* text) {
  return ParseInteger(text, IntSyntax::Settings);
}

TEST(IntParse, SettingsSyntax) {
  EXPECT_EQ(Settings("12"), 12);
  EXPECT_EQ(Settings("   12"), 12);
  EXPECT_EQ(Settings("-1"), -1);
  EXPECT_EQ(Settings("+7"), 7);
  EXPECT_EQ(Settings("$1F"), 31);
  EXPECT_EQ(Settings("0x1f"), 31);
  EXPECT_EQ(Settings("0X1F"), 31);
  EXPECT_EQ(Settings("-$10"), -16);
  EXPECT_EQ(Settings("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(Settings("-9223372036854775808"), INT64_MIN);
  for (const char* bad : {"", "12 ", "12a", "-", "+", " ", "--1", "+-1", "$", "0x", "1 2",
                          "9223372036854775808", "x1F", "\t12", "1.5"}) {
    EXPECT_EQ(Settings(bad), std::nullopt) << "'" << bad << "'";
  }
}

TEST(IntParse, ScriptSyntax) {
  EXPECT_EQ(ParseInteger(" 5", IntSyntax::Script), 5);
  EXPECT_EQ(ParseInteger("-1", IntSyntax::Script), -1);
  EXPECT_EQ(ParseInteger("$ff", IntSyntax::Script), 255);
  EXPECT_EQ(ParseInteger("0x10", IntSyntax::Script), std::nullopt);
  EXPECT_EQ(ParseInteger("5 ", IntSyntax::Script), std::nullopt);
  EXPECT_EQ(ParseInteger("2147483648", IntSyntax::Script), std::nullopt);
  EXPECT_EQ(ParseInteger("-2147483648", IntSyntax::Script), INT32_MIN);
  // A field is a view into its line: blanks are looked for inside the view only.
  EXPECT_EQ(ParseInteger(std::string_view("   ").substr(0, 2), IntSyntax::Script), std::nullopt);
}

TEST(IntParse, CoordinateSyntax) {
  EXPECT_EQ(ParseInteger("-99", IntSyntax::Coordinate), -99);
  EXPECT_EQ(ParseInteger("x1F", IntSyntax::Coordinate), 31);
  EXPECT_EQ(ParseInteger("0x1F", IntSyntax::Coordinate), 31);
  EXPECT_EQ(ParseInteger("$A", IntSyntax::Coordinate), 10);
  EXPECT_EQ(ParseInteger("-$A", IntSyntax::Coordinate), std::nullopt);
  EXPECT_EQ(ParseInteger("-x1", IntSyntax::Coordinate), std::nullopt);
  EXPECT_EQ(ParseInteger("$FFFFFFFF", IntSyntax::Coordinate), -1);
}

TEST(IntParse, StrToIntNamesTheText) {
  EXPECT_EQ(StrToInt("42", IntSyntax::Script), 42);
  try {
    StrToInt("abc", IntSyntax::Script);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  EXPECT_THROW(StrToInt("", IntSyntax::Coordinate), EConvertError);
}

TEST(MathError, ZeroDivisorKinds) {
  EXPECT_STREQ(EMathError::ForZeroDivisor(3).what(), "Floating point division by zero");
  EXPECT_STREQ(EMathError::ForZeroDivisor(0).what(), "Invalid floating point operation");
  EXPECT_THROW(CheckedDivide(1, 0), EMathError);
  EXPECT_EQ(CheckedDivide(1, 4), 0.25L);
}

}  // namespace
