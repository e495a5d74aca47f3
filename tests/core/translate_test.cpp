// Numbered placeholders, which translations reorder, and slips in them.
#include <gtest/gtest.h>

#include "translate.h"

namespace {

TEST(FormatText, FillsNumberedPlaceholdersInAnyOrder) {
  const struct {
    const char* pattern;
    const char* expected;
  } cases[] = {
      {"servo {1} needs {2}", "servo 4 needs 270"},
      {"{2} braucht Servo {1}", "270 braucht Servo 4"},
      {"{1}{1}", "44"},
      {"{3} and {0} stay", "{3} and {0} stay"},  // no such argument: shown as written
      {"{1", "{1"},
      {"{12}", "{12}"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatText(c.pattern, {"4", "270"}), c.expected) << c.pattern;
  }
}

TEST(Tr, WithoutCatalogueEveryTextIsItsEnglish) {
  InitMessages("/nonexistent");
  const char* text = "Play";
  EXPECT_EQ(Tr(text), text);
  EXPECT_STREQ(TrN("{1} command", "{1} commands", 2), "{1} commands");
  EXPECT_EQ(TrFormat("{1} of {2}", {"3", "9"}), "3 of 9");
}

}  // namespace
