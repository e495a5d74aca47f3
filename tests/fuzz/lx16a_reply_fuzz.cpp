// The lx16a board's replies, read whatever comes in (board_reply_check.h).
#include "board_reply_check.h"
#include "fuzz_support.h"

void FuzzLx16aReply(std::string_view data) {
  CheckBoardReplies(BoardFamily::Lx16a, data);
}

VANTREL_FUZZ_ENTRY(FuzzLx16aReply)
