// The settings' and the serial link's messages in German, from the catalogue the build makes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "build_paths.h"
#include "com_send.h"
#include "errors.h"
#include "german_texts.h"
#include "option_store.h"
#include "settings_keys.h"
#include "temp_dir.h"

namespace {

TEST(German, MessagesKeepTheirFigures) {
  TempDir dir;
  std::optional<GermanTexts> german(std::in_place, ShippedLocaleDir());
  const std::string ini = dir.File("vantrel.ini");
  WriteFile(ini, "[Options]\nsv1Maxval=300\n");
  const OptionStore store(ini, OptionStore::Problems::Keep);
  const std::string detail = store.notice() ? store.notice()->detail : "";
  const std::pair<std::string, std::string> cases[] = {
      {store.notice() ? store.notice()->message : "",
       "Einige Einstellungen in " + ini + " fehlen oder liegen außerhalb ihres Bereichs"},
      {detail.substr(detail.find("; ") + 2),
       "außerhalb des Bereichs, nächster erlaubter Wert verwendet: sv1Maxval=300 -> 254 "
       "(0 bis 254)"},
      {FindSetting("sv3Minval")->Description(), "Niedrigste Position, die Servo 3 einnehmen darf"},
      {OptionStore(dir.path(), OptionStore::Problems::Keep).readFailure(),
       "Einstellungen können nicht aus " + dir.path() + " gelesen werden: keine reguläre Datei"},
      {EConvertError("x1").what(), "'x1' ist keine gültige ganze Zahl"},
      {EComWriteTimeout(3, 24, "/dev/ttyUSB0").what(),
       "Zeitüberschreitung beim Schreiben auf die serielle Schnittstelle: 3 von 24 Byte gesendet"},
  };
  german.reset();  // English again before a failure is reported
  for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
}

}  // namespace
