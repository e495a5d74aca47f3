#include <gtest/gtest.h>

#include <string>

#include "message_field.h"

namespace {

TEST(MessageField, CutsAfterFortyCharactersAndEscapesWhatCouldHurt) {
  const std::string forty(40, '7');
  const std::pair<std::string, std::string> cases[] = {
      {forty, forty},
      {"\x1B[2J\t\x7F", "\\x1B[2J\\t\\x7F"},  // no terminal escape gets through
      {"C:\\x", "C:\\\\x"},                   // a backslash of its own is told from an escape
      {"gr\xC3\xBC\xC3\x9F", "gr\xC3\xBC\xC3\x9F"},  // UTF-8 stays as it is
      {"\xC2\x9B"
       "1m\xFF\xC3",
       "\\xC2\\x9B1m\\xFF\\xC3"},  // C1 controls and non-UTF-8 do not
      {"\xE2\x82\xAC" + forty, "\xE2\x82\xAC" + std::string(39, '7') + "..."},
      {"\r" + forty, "\\r" + std::string(39, '7') + "..."},  // an escape is one character
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(MessageField(text), shown) << text.size();
}

}  // namespace
