#include "board_settings.h"

#include "error_report.h"
#include "translate.h"

BoardSetup ReadBoardSetup(const OptionStore& store) {
  BoardSettings settings;
  settings.controller = store.ReadOption("controller");
  for (int i = 1; i <= kServoCount; ++i) {
    const std::string prefix = "sv" + std::to_string(i);
    settings.channel[i] = store.ReadOptionNumber(prefix + "Channel");
    settings.low[i] = store.ReadOptionNumber(prefix + "Low");
    settings.high[i] = store.ReadOptionNumber(prefix + "High");
    settings.address[i] = store.ReadOptionNumber(prefix + "Address");
  }
  return ConfigureBoard(settings);
}

void ReportBoardProblems(const BoardSetup& setup) {
  if (setup.problems.empty()) return;
  std::string detail;
  for (const std::string& problem : setup.problems)
    detail += (detail.empty() ? "" : "; ") + problem;
  ReportError(Tr("The servo board settings are not right"), detail);
}
