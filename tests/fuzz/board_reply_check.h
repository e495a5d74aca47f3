// The property every board's reply decoder keeps, whatever comes in: it reads only the bytes
// it was given, a good answer tells only about the servo asked, bytes after the answer change
// nothing, and on the bus an echo of the question in front changes nothing.
#pragma once

#include <string_view>

#include "board.h"

// The input: one byte choosing the question, then the bytes received.
void CheckBoardReplies(BoardFamily family, std::string_view data);
