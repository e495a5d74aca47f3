// Byte strings written as the protocol documents print them: hex pairs apart, or plain ASCII.
#pragma once

#include <string>
#include <string_view>

#include "board.h"
#include "board_factory.h"

// "FF A1 7F" -> three bytes.
std::string Hex(std::string_view pairs);
// The board of `family` with every servo at the family's own place.
BoardConfig FamilyConfig(BoardFamily family);
