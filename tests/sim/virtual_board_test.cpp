#include "virtual_board.h"

#include <gtest/gtest.h>

#include "family_board.h"
#include "hex_bytes.h"

namespace {

// The bytes as hex digits, so that a difference reads as the documents print it.
std::string HexText(const std::string& bytes) {
  std::string text;
  static const char kDigits[] = "0123456789ABCDEF";
  for (unsigned char b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

struct Case {
  const char* family;
  std::string input;  // ASCII text for ssc32, hex for the others
  const char* reply;  // hex
  int channel;
  int32_t present;
  uint64_t moves;
  uint64_t bad;
};

// Byte strings written out from each family's protocol document.
const Case kCases[] = {
    {"ssc32", "#0P1500#1P900T1000\r", "", 1, 900, 2, 0},
    {"ssc32", "#0 P1500 S100\rQP 0\r", "96", 0, 1500, 1, 0},
    {"ssc32", "Q\rVER\r", "2E53534333322D56322E35300D", 0, 0, 0, 0},
    {"ssc32", "QP 5\r", "00", 5, 0, 0, 0},  // no target yet
    {"ssc32", "#0P3000\r#0P1500#1X\r#40P1500\r", "", 0, 0, 0, 3},
    {"ssc32", "#0P1500\x1b#0P1000\r", "", 0, 1000, 1, 0},
    {"maestro", "8400702E9000", "7017", 0, 1500, 1, 0},
    {"maestro", "93A1", "000000", 0, 0, 0, 0},
    {"maestro", "840070900005", "0000", 0, 0, 0, 2},
    {"maestro", "8430702E", "", 0, 0, 0, 1},
    {"minissc", "FF027F", "", 2, 127, 1, 0},
    {"minissc", "02FF01FF0110", "", 1, 16, 1, 2},
    {"vantrel", "FFA164C5", "", 1, 100, 1, 0},
    {"vantrel", "FFA164C4", "", 1, 0, 0, 1},
    // A write of the goal position answered with a status, then a read of the present one;
    // the adapter's echo in front of each answer.
    {"sts", "FFFF0105032A0008C4FFFF0104023802BE",
     "FFFF0105032A0008C4FFFF010200FCFFFF0104023802BEFFFF0104000008F2", 1, 2048, 1, 0},
    {"sts", "FFFFFE0A832A02010004020006 3B", "FFFFFE0A832A020100040200063B", 2, 1536, 2, 0},
    {"sts", "FFFF010201FA", "FFFF010201FA", 1, 0, 0, 1},
    {"sts", "00FFFF010201FB", "00FFFF010201FBFFFF010200FC", 1, 0, 0, 1},
    {"lx16a", "5555 0107 01 F401 E803 16 5555 0103 1C DF", "5555 0105 1C F401 E8", 1, 500, 1, 0},
    {"lx16a", "5555 0103 1A E1", "5555 0104 1A 23 BD", 1, 0, 0, 0},
    {"lx16a", "5555 0107 01 E903 E803 1F", "", 1, 0, 0, 1},
    {"lx16a", "5555 0104 1F 00 DB 5555 0107 01 F401 E803 16", "", 1, 0, 1, 0},
};

class VirtualBoardBytes : public testing::TestWithParam<Case> {};

TEST_P(VirtualBoardBytes, DecodesAndAnswersAsTheBoard) {
  const Case& c = GetParam();
  auto board = MakeVirtualBoard(*ParseBoardFamily(c.family));
  const std::string input = std::string(c.family) == "ssc32" ? c.input : Hex(c.input);
  // Fed in two pieces cut in the middle: answers must not depend on how the bytes arrive.
  const size_t half = input.size() / 2;
  std::string answer = board->Take(input.substr(0, half));
  answer += board->Take(input.substr(half));
  EXPECT_EQ(HexText(answer), HexText(Hex(c.reply)));
  EXPECT_EQ(board->channel(c.channel).present, c.present);
  EXPECT_EQ(board->moves(), c.moves);
  EXPECT_EQ(board->badCommands(), c.bad);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, VirtualBoardBytes, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           return info.param.family + std::to_string(info.index);
                         });

TEST(VirtualBoard, ALimpBusServoFollowsTheHandAndDrivesBackToItsGoalWithTorque) {
  for (const char* family : {"sts", "lx16a"}) {
    SCOPED_TRACE(family);
    auto board = MakeVirtualBoard(*ParseBoardFamily(family));
    board->channel(1).target = board->channel(1).present = 500;
    EXPECT_FALSE(board->MoveByHand(1, 300));  // held by its torque
    board->channel(1).torque = false;
    EXPECT_TRUE(board->MoveByHand(1, 300));
    const std::string on =
        std::string(family) == "sts" ? Hex("FFFF0104032801CE") : Hex("555501041F01DA");
    board->Take(on);
    EXPECT_TRUE(board->channel(1).torque);
    EXPECT_EQ(board->channel(1).present, 500);
  }
  EXPECT_FALSE(MakeVirtualBoard(BoardFamily::Maestro)->MoveByHand(0, 300));
}

}  // namespace
