// The ssc32 board's replies, read whatever comes in (board_reply_check.h).
#include "board_reply_check.h"
#include "fuzz_support.h"

void FuzzSsc32Reply(std::string_view data) {
  CheckBoardReplies(BoardFamily::Ssc32, data);
}

VANTREL_FUZZ_ENTRY(FuzzSsc32Reply)
