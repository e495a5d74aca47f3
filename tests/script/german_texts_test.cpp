// Under a German desktop the script, editor and workspace messages come out German, with
// their figures in place, from the catalogue the build makes.
#include <gtest/gtest.h>

#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "catalogue_translator.h"
#include "command_editor.h"
#include "file_process.h"
#include "temp_dir.h"
#include "translate.h"
#include "workspace_jog.h"
#include "xstring_grid.h"

namespace {

// LANGUAGE=de and a UTF-8 locale while it lives; then the English the other tests expect. The
// catalogue folder is bound back too: that makes gettext forget the German it looked up.
class German {
 public:
  German()
      : locale_(std::setlocale(LC_ALL, nullptr)), folder_(::bindtextdomain(kTextDomain, nullptr)) {
    if (const char* language = std::getenv("LANGUAGE")) language_ = language;
    ::setenv("LANGUAGE", "de", 1);
    std::setlocale(LC_ALL, "C.UTF-8");
    InstallCatalogueTranslator(SHIPPED_LOCALE_DIR);
  }
  ~German() {
    language_ ? ::setenv("LANGUAGE", language_->c_str(), 1) : ::unsetenv("LANGUAGE");
    std::setlocale(LC_ALL, locale_.c_str());
    ::bindtextdomain(kTextDomain, folder_.c_str());
  }

 private:
  std::string locale_;
  std::string folder_;
  std::optional<std::string> language_;
};

std::string Failure(const std::function<void()>& work) {
  try {
    work();
  } catch (const EDetailedError& e) {
    return std::string(e.what()) + " | " + e.detail();
  }
  return "no error";
}

TEST(GermanTexts, MessagesComeOutGermanWithTheirFigures) {
  TempDir dir;
  WriteFile(dir.File("a.vco"), "M;1;5\r\nM;3;300\r\n");
  Workspace ws{{8, 12, 12, 6}, {}, 0};
  for (int i = 1; i <= kServoCount; ++i) ws.tables.Maxval[i] = 254;
  MovePlan atLimit;
  atLimit.refusal = Refusal::ServoLimit;
  atLimit.servo = 2;
  const German german;
  TfrmCommandEdit editor;  // its column captions are German from the start
  for (int col = 1; col <= 3; ++col) editor.commandSheet->SetCells(col, 1, col == 1 ? "M" : "300");
  TFileProcess file;
  file.RecordSource = dir.File("a.vco");

  const std::pair<std::function<std::string()>, std::string> cases[] = {
      {[&] { return Failure([&] { TRoboPath().load(file); }); },
       "1001 :TRobopath: load | " + file.RecordSource +
           ", Zeile 2: Wert 300 liegt außerhalb von 0..255"},
      {[&] { return Failure([&] { editor.btOkClick(); }); },
       "Wert 300 liegt außerhalb von 0..255 | Zeile 1, Spalte Servo-ID"},
      {[&] {
         return PlanMove({99, 0, 0}, ws).reason;
       },
       "Außer Reichweite: (99, 0, 0) ist 99.3 cm von der Schulter entfernt; der Arm reicht "
       "30.0 cm weit"},
      {[&] {
         return PlanMove({15, 0, 0}, ws).reason;
       },
       "Servo 4 bräuchte Position 270; seine Grenze ist 254"},
      {[&] { return JogStopStatus(atLimit); }, "Servo 2 an seiner Grenze"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(text(), expected);
}

}  // namespace
