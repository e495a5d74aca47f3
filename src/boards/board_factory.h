// The board the settings describe: the family the `controller` setting names and where each
// servo sits on it (svNChannel, svNLow, svNHigh; -1 takes the family's own value).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board.h"

// The value of a per-servo board setting that stands for the family's own.
inline constexpr int64_t kFamilyValue = -1;

struct BoardSettings {
  std::string controller;
  std::array<int64_t, kServoCount + 1> channel{};
  std::array<int64_t, kServoCount + 1> low{};
  std::array<int64_t, kServoCount + 1> high{};
  // The frame addresses (svNAddress), which only the program's own frames use.
  std::array<int64_t, kServoCount + 1> address{};
};

// The settings' name of a family, compared without regard to case.
std::optional<BoardFamily> ParseBoardFamily(std::string_view name);
const char* BoardFamilyName(BoardFamily family);
// "vantrel, ssc32, ..." for messages.
std::string BoardFamilyNames();

// The family's own place for `servo` (1..6): channel servo - 1 on the pulse boards, id servo
// on the bus; the ends of a half turn in the family's units, position 127 in the middle.
BoardServo FamilyServo(BoardFamily family, int servo);
// The board of `family` with every servo at the family's own place.
BoardConfig FamilyConfig(BoardFamily family);
// The highest channel or bus id the family can address.
int MaxChannel(BoardFamily family);

struct BoardSetup {
  BoardConfig config;
  // What the settings got wrong and what is used instead, one message each.
  std::vector<std::string> problems;
};

// An unknown controller sends the program's own frames; a channel the family cannot address
// takes the family's own.
BoardSetup ConfigureBoard(const BoardSettings& settings);

std::unique_ptr<Board> MakeBoard(const BoardConfig& config);
