#include <gtest/gtest.h>

#include "board_factory.h"
#include "hex_bytes.h"

namespace {

using F = BoardFamily;
constexpr QueryKind kPose = QueryKind::Pose;

// What a reply says of servo 1 and of the board, or why it cannot be used.
std::string Told(const ReplyResult& r) {
  if (r.fault)
    return r.fault == ReplyFault::Short       ? "short"
           : r.fault == ReplyFault::Malformed ? "malformed"
                                              : "checksum";
  const ServoReading& s = r.reading.servos[1];
  std::string told;
  const auto add = [&](const char* what, const auto& value) {
    if (value) told += std::string(told.empty() ? "" : " ") + what + std::to_string(*value);
  };
  add("pos=", s.position);
  add("moving=", s.moving ? s.moving : r.reading.moving);
  add("load=", s.loadPermille);
  add("mV=", s.millivolts);
  add("C=", s.celsius);
  if (s.noTarget) told += "no target";
  if (s.overload) told += " overload";
  return told;
}

struct ReplyCase {
  const char* name;
  F family;
  QueryKind kind;
  int query;  // index among the family's queries of that kind
  std::string received;
  std::string told;
};

// An STS answer of id 1 to the read of 56..66: step 2048, load 100 against the direction,
// 12.0 V, 40 degrees, moving.
const std::string kStsAnswer = Hex("FF FF 01 0D 00 00 08 00 00 64 04 78 28 00 00 01 E0");
const std::string kStsQuery = Hex("FF FF 01 04 02 38 0B B5");
const std::string kStsTold = "pos=127 moving=1 load=-100 mV=12000 C=40";
const std::string kLxPosQuery = Hex("55 55 01 03 1C DF");
const std::string kLxPosAnswer = Hex("55 55 01 05 1C F4 01 E8");

const ReplyCase kCases[] = {
    {"AsciiPulse", F::Ssc32, kPose, 0, Hex("96"), "pos=127"},
    {"AsciiNoPulseYet", F::Ssc32, kPose, 0, Hex("00"), "no target"},
    {"AsciiPulseOutOfRange", F::Ssc32, kPose, 0, Hex("05"), "malformed"},
    {"AsciiNothing", F::Ssc32, kPose, 0, "", "short"},
    {"AsciiDone", F::Ssc32, QueryKind::Moving, 0, ".", "moving=0"},
    {"AsciiMoving", F::Ssc32, QueryKind::Moving, 0, "+", "moving=1"},
    {"AsciiMovingGarbled", F::Ssc32, QueryKind::Moving, 0, "?", "malformed"},
    {"MaestroPosition", F::Maestro, kPose, 0, Hex("70 17"), "pos=127"},
    {"MaestroChannelOff", F::Maestro, kPose, 0, Hex("00 00"), "no target"},
    {"MaestroHalfAnswer", F::Maestro, kPose, 0, Hex("70"), "short"},
    {"MaestroMoving", F::Maestro, QueryKind::Moving, 0, Hex("01"), "moving=1"},
    {"MaestroMovingGarbled", F::Maestro, QueryKind::Moving, 0, Hex("02"), "malformed"},
    {"Sts", F::Sts, kPose, 0, kStsAnswer, kStsTold},
    {"StsAfterEcho", F::Sts, kPose, 0, kStsQuery + kStsAnswer, kStsTold},
    {"StsOverload", F::Sts, kPose, 0, Hex("FF FF 01 0D 20 00 08 00 00 64 04 78 28 00 00 01 C0"),
     kStsTold + " overload"},
    {"StsEchoOnly", F::Sts, kPose, 0, kStsQuery, "short"},
    {"StsPartOfEcho", F::Sts, kPose, 0, kStsQuery.substr(0, 3), "short"},
    {"StsCutShort", F::Sts, kPose, 0, kStsQuery + kStsAnswer.substr(0, 16), "short"},
    {"StsBadChecksum", F::Sts, kPose, 0, Hex("FF FF 01 0D 00 00 08 00 00 64 04 78 28 00 00 01 E1"),
     "checksum"},
    {"StsOtherServo", F::Sts, kPose, 0, Hex("FF FF 02 0D 00 00 08 00 00 64 04 78 28 00 00 01 DF"),
     "malformed"},
    {"StsNoHeader", F::Sts, kPose, 0, Hex("00 FF FF 01 0D 00 00 08 00 00 64 04 78 28 00 00 01"),
     "malformed"},
    {"StsWrongLength", F::Sts, kPose, 0, Hex("FF FF 01 02 00 FC 00 00 00 00 00 00 00 00 00 00 00"),
     "malformed"},
    {"LxPosition", F::Lx16a, kPose, 0, kLxPosAnswer, "pos=127"},
    {"LxPositionAfterEcho", F::Lx16a, kPose, 0, kLxPosQuery + kLxPosAnswer, "pos=127"},
    {"LxPastItsEnd", F::Lx16a, kPose, 0, Hex("55 55 01 05 1C F6 FF E8"), "pos=-46"},
    {"LxTemperature", F::Lx16a, QueryKind::Health, 0, Hex("55 55 01 04 1A 2D B3"), "C=45"},
    {"LxVoltage", F::Lx16a, QueryKind::Health, 1, Hex("55 55 01 05 1B 30 2A 84"), "mV=10800"},
    {"LxShort", F::Lx16a, kPose, 0, kLxPosAnswer.substr(0, 7), "short"},
    {"LxBadChecksum", F::Lx16a, kPose, 0, Hex("55 55 01 05 1C F4 01 E9"), "checksum"},
    {"LxOtherCommand", F::Lx16a, kPose, 0, Hex("55 55 01 05 1B F4 01 E9"), "malformed"},
};

class BoardReply : public testing::TestWithParam<ReplyCase> {};

TEST_P(BoardReply, ReadsWhatTheDocumentSaysOrTellsWhy) {
  const ReplyCase& c = GetParam();
  const auto board = MakeBoard(FamilyConfig(c.family));
  const BoardQuery query = board->Queries(c.kind).at(c.query);
  EXPECT_EQ(Told(board->DecodeReply(query, c.received)), c.told);
}

INSTANTIATE_TEST_SUITE_P(Families, BoardReply, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The questions as the documents write them, for servo 1 at the family's own place.
TEST(BoardQueries, AskAsTheDocumentsSay) {
  struct Case {
    F family;
    QueryKind kind;
    size_t count;
    std::string first;
    size_t replyLength;
  } const cases[] = {
      {F::Ssc32, kPose, 6, "QP 0\r", 1},
      {F::Ssc32, QueryKind::Moving, 1, "Q\r", 1},
      {F::Maestro, kPose, 6, Hex("90 00"), 2},
      {F::Maestro, QueryKind::Moving, 1, Hex("93"), 1},
      {F::Sts, kPose, 6, kStsQuery, 17},
      {F::Lx16a, kPose, 6, kLxPosQuery, 8},
      {F::Lx16a, QueryKind::Health, 12, Hex("55 55 01 03 1A E1"), 7},
  };
  for (const Case& c : cases) {
    const auto queries = MakeBoard(FamilyConfig(c.family))->Queries(c.kind);
    ASSERT_EQ(queries.size(), c.count) << BoardFamilyName(c.family);
    EXPECT_EQ(queries[0].bytes, c.first) << BoardFamilyName(c.family);
    EXPECT_EQ(queries[0].replyLength, c.replyLength) << BoardFamilyName(c.family);
  }
  EXPECT_FALSE(MakeBoard(FamilyConfig(F::MiniSsc))->Answers());
  EXPECT_FALSE(MakeBoard(FamilyConfig(F::Vantrel))->Answers());
}

}  // namespace
