// The maestro board's replies, read whatever comes in (board_reply_check.h).
#include "board_reply_check.h"
#include "fuzz_support.h"

void FuzzMaestroReply(std::string_view data) {
  CheckBoardReplies(BoardFamily::Maestro, data);
}

VANTREL_FUZZ_ENTRY(FuzzMaestroReply)
