// The German catalogue that ships with the program, as the program finds it in the build.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "build_paths.h"
#include "com_error.h"

namespace {

TEST(ShippedCatalogue, GermanTranslatesEveryMessageAndTheSuffix) {
  InitPortMessages("/nonexistent");
  std::vector<std::string> english;
  for (int code = 1; code <= kPortMessageCount; ++code) english.push_back(PortMessages(code));

  ::setenv("LANGUAGE", "de", 1);
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  InitPortMessages(ShippedLocaleDir());
  for (int code = 1; code <= kPortMessageCount; ++code) {
    EXPECT_NE(PortMessages(code), english[code - 1]) << "message " << code << " untranslated";
    EXPECT_FALSE(PortMessages(code).empty());
  }
  EXPECT_EQ(PortMessages(1), "Serielle Schnittstelle kann nicht geöffnet werden");
  EXPECT_EQ(EComPort(2, 5).what(),
            "Funktion WriteFile fehlgeschlagen: " + std::string(std::strerror(5)) + " (Fehler 5)");
  EXPECT_STREQ(EComPort(18).what(), "Verknüpfung konnte nicht (ab)gemeldet werden");
  ::unsetenv("LANGUAGE");
}

}  // namespace
