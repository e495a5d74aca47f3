// Under a German desktop the script, editor and workspace messages come out German, with
// their figures in place, from the catalogue the build makes.
#include <gmock/gmock.h>

#include <optional>

#include "build_paths.h"
#include "catalogue_translator.h"
#include "command_editor.h"
#include "file_process.h"
#include "german_texts.h"
#include "temp_dir.h"
#include "workspace.h"
#include "xstring_grid.h"

namespace {

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
  TFileProcess file;
  file.RecordSource = dir.File("a.vco");
  WriteFile(file.RecordSource, "M;1;5\r\nM;3;300\r\n");
  std::optional<GermanTexts> german(std::in_place, ShippedLocaleDir());
  InstallCatalogueTranslator(ShippedLocaleDir());
  TfrmCommandEdit editor;
  editor.commandSheet->SetCells(1, 1, "M");
  editor.commandSheet->SetCells(2, 1, "300");
  const std::vector<std::string> texts = {
      Failure([&] { TRoboPath().load(file); }), Failure([&] { editor.btOkClick(); }),
      PlanMove({99, 0, 0}, Workspace{{8, 12, 12, 6}, {}, 0}).reason,
      editor.windowTitle().toStdString()};
  german.reset();  // English again for the other tests
  EXPECT_THAT(texts, testing::ElementsAre(
                         "1001 :TRobopath: load | " + file.RecordSource +
                             ", Zeile 2: Wert 300 liegt außerhalb von 0..255",
                         "Wert 300 liegt außerhalb von 0..255 | Zeile 1, Spalte Servo-ID",
                         "Außer Reichweite: (99, 0, 0) ist 99.3 cm von der Schulter entfernt; "
                         "der Arm reicht 30.0 cm weit",
                         "Befehlseditor"));
}

}  // namespace
