// The servo board the settings name: `controller` and each servo's svNChannel, svNLow and
// svNHigh (svNAddress for the program's own frames).
#pragma once

#include "board_factory.h"
#include "option_store.h"

BoardSetup ReadBoardSetup(const OptionStore& store);

// What ReadBoardSetup found wrong, as one warning; nothing when all is well.
void ReportBoardProblems(const BoardSetup& setup);
