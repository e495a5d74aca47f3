#include <gtest/gtest.h>

#include <vector>

#include "board_factory.h"
#include "board_line.h"
#include "hex_bytes.h"
#include "line_budget.h"

namespace {

using F = BoardFamily;

struct EncodeCase {
  F family;
  std::vector<ServoTarget> targets;
  std::string bytes;
};

class BoardEncoding : public testing::TestWithParam<EncodeCase> {};

// Every family at its own places: 127 is the middle of the servo's half turn.
TEST_P(BoardEncoding, TickMatchesTheProtocolDocument) {
  const EncodeCase& c = GetParam();
  const auto board = MakeBoard(FamilyConfig(c.family));
  EXPECT_EQ(board->EncodeTick(c.targets), c.bytes);
  EXPECT_LE(board->EncodeTick(c.targets).size(),
            board->TickBytes(static_cast<int>(c.targets.size())));
}

INSTANTIATE_TEST_SUITE_P(
    Families, BoardEncoding,
    testing::Values(
        // The program's own frames: address 1 at 127, address 2 at 130.
        EncodeCase{F::Vantrel, {{1, 127}, {2, 130}}, Hex("FF A1 7F DE FF A2 82 20")},
        // One line for the group: 1500 us is the middle of 500..2500.
        EncodeCase{F::Ssc32, {{1, 127}, {2, 0}, {3, 254}}, "#0P1500#1P500#2P2500\r"},
        EncodeCase{F::Ssc32, {{6, 300}}, "#5P2500\r"},
        // Set target, channel 0 to 1500 us (6000 quarters), channel 1 to 2500 us.
        EncodeCase{F::Maestro, {{1, 127}, {2, 254}}, Hex("84 00 70 2E 84 01 10 4E")},
        EncodeCase{F::MiniSsc, {{1, 127}, {6, 254}}, Hex("FF 00 7F FF 05 FE")},
        // Sync write of goal position (42), six bytes per servo: ids 1 and 2 to steps 2048
        // and 3072, time and speed 0.
        EncodeCase{F::Sts,
                   {{1, 127}, {2, 254}},
                   Hex("FF FF FE 12 83 2A 06 01 00 08 00 00 00 00 02 00 0C 00 00 00 00 25")},
        // Move, id 1 to 500 in 0 ms.
        EncodeCase{F::Lx16a, {{1, 127}}, Hex("55 55 01 07 01 F4 01 00 00 01")},
        EncodeCase{F::Sts, {}, ""}));

TEST(BoardEncoding, LowAndHighScaleAndReverseTheServo) {
  BoardConfig config = FamilyConfig(F::Ssc32);
  config.servos[1] = {7, 2400, 600};  // mounted the other way round
  config.servos[2] = {8, 100, 3000};  // asks for more than the board can give
  const auto board = MakeBoard(config);
  EXPECT_EQ(board->EncodeTick(std::vector<ServoTarget>{{1, 0}, {1, 254}, {2, 0}, {2, 254}}),
            "#7P2400#7P600#8P500#8P2500\r");
  config.family = F::Maestro;
  config.servos[1] = {0, 0, 0};  // a zero target would switch the pulse off
  EXPECT_EQ(MakeBoard(config)->EncodeTick(std::vector<ServoTarget>{{1, 127}}), Hex("84 00 04 00"));
}

TEST(BoardEncoding, TorqueSwitchesEveryServo) {
  EXPECT_EQ(MakeBoard(FamilyConfig(F::Sts))->TorqueCommand(true),
            Hex("FF FF FE 10 83 28 01 01 01 02 01 03 01 04 01 05 01 06 01 2A"));
  const std::string unload = MakeBoard(FamilyConfig(F::Lx16a))->TorqueCommand(false);
  EXPECT_EQ(unload.size(), 6u * 7u);
  EXPECT_EQ(unload.substr(0, 7), Hex("55 55 01 04 1F 00 DB"));
  EXPECT_EQ(MakeBoard(FamilyConfig(F::Ssc32))->TorqueCommand(false), "");
}

// The budget counts each family's own bytes: what fits in 20 ms of the line.
TEST(BoardEncoding, ServosPerTickFollowTheBoardsBytes) {
  struct Case {
    F family;
    int64_t baud;
    int servos;
  } const cases[] = {
      {F::Vantrel, 9600, 4},  // 19 bytes: four frames of 4
      {F::Maestro, 9600, 4}, {F::MiniSsc, 9600, 6}, {F::Ssc32, 9600, 2}, {F::Ssc32, 115200, 6},
      {F::Sts, 9600, 1},     {F::Sts, 1000000, 6},  {F::Lx16a, 9600, 1}, {F::Lx16a, 115200, 6},
  };
  for (const Case& c : cases) {
    const auto board = MakeBoard(FamilyConfig(c.family));
    EXPECT_EQ(FramesPerTick({c.baud, 8, false, 2}, 20, *board), c.servos)
        << BoardFamilyName(c.family) << " at " << c.baud;
  }
}

TEST(BoardLine, TurnsTheProgramsFramesIntoTheBoardsTick) {
  ServoTables tables;
  for (int s = 1; s <= kServoCount; ++s) tables.Address[s] = 10 + s;
  const std::string frames = EncodeServoFrame(12, 127) + EncodeServoFrame(16, 254) +
                             EncodeServoFrame(99, 5);  // no servo's address: left out
  EXPECT_EQ(BoardLine().Encode(frames), frames);
  EXPECT_EQ(BoardLine(FamilyConfig(F::Ssc32), tables).Encode(frames), "#1P1500#5P2500\r");
  EXPECT_EQ(BoardLine(FamilyConfig(F::Sts), tables).Encode(""), "");
}

TEST(BoardFactory, SettingsPickTheFamilyAndEachServosPlace) {
  BoardSettings settings;
  settings.controller = "SSC32";
  settings.channel.fill(kFamilyValue);
  settings.low.fill(kFamilyValue);
  settings.high.fill(kFamilyValue);
  settings.channel[2] = 12;
  settings.channel[3] = 32;  // beyond the board's 32 channels
  settings.low[4] = settings.high[4] = 1500;
  BoardSetup setup = ConfigureBoard(settings);
  EXPECT_EQ(setup.config.family, F::Ssc32);
  EXPECT_EQ(setup.config.servos[1].channel, 0);
  EXPECT_EQ(setup.config.servos[2].channel, 12);
  EXPECT_EQ(setup.config.servos[3].channel, 2);
  ASSERT_EQ(setup.problems.size(), 2u);
  EXPECT_EQ(setup.problems[0],
            "sv3Channel=32 is beyond the channels of the ssc32 board (0 to 31): 2 is used");
  EXPECT_EQ(setup.problems[1], "sv4Low and sv4High are both 1500: servo 4 cannot move");

  settings.controller = "pca9685";
  settings.address[1] = 300;
  setup = ConfigureBoard(settings);
  EXPECT_EQ(setup.config.family, F::Vantrel);
  EXPECT_EQ(setup.config.servos[1].channel, 44);
  EXPECT_EQ(setup.problems.at(0),
            "Unknown controller 'pca9685': Vantrel frames are sent (known: vantrel, ssc32, "
            "maestro, minissc, sts, lx16a)");
}

}  // namespace
