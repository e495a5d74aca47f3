// The sts board's replies, read whatever comes in (board_reply_check.h).
#include "board_reply_check.h"
#include "fuzz_support.h"

void FuzzStsReply(std::string_view data) {
  CheckBoardReplies(BoardFamily::Sts, data);
}

VANTREL_FUZZ_ENTRY(FuzzStsReply)
