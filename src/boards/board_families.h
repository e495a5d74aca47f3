// One maker per board family (board_factory.h picks the one the settings name).
#pragma once

#include <memory>

#include "board.h"

// The program's own frames, byte for byte as they always were: FF, address + A0, position,
// check. Low and high play no part; the channel is the frame's address.
std::unique_ptr<Board> MakeVantrelBoard(const BoardConfig& config);
// 32-channel ASCII boards: "#<ch>P<us>" for every servo of a tick in one line ending in CR;
// "QP <ch>" reads a pulse width, "Q" whether a move is still under way.
std::unique_ptr<Board> MakeSsc32Board(const BoardConfig& config);
// Maestro-class boards, compact protocol: 0x84 set target in quarter microseconds, 0x90 get
// position, 0x93 get moving state.
std::unique_ptr<Board> MakeMaestroBoard(const BoardConfig& config);
// Mini SSC: FF, channel, position byte. It never answers.
std::unique_ptr<Board> MakeMiniSscBoard(const BoardConfig& config);
// STS/SCS bus servos: a tick as one sync write (0x83) of the goal position; reads (0x02) of
// the present position, load, voltage, temperature and moving flag; torque enable.
std::unique_ptr<Board> MakeStsBoard(const BoardConfig& config);
// LX-16A bus servos: move (1), position (28), temperature (26) and voltage (27) reads, and
// load/unload (31).
std::unique_ptr<Board> MakeLx16aBoard(const BoardConfig& config);
