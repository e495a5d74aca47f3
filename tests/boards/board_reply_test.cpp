#include <gtest/gtest.h>

#include <optional>

#include "board_bytes.h"

namespace {

using F = BoardFamily;

struct ReplyCase {
  const char* name;
  F family;
  QueryKind kind;
  int query;  // index among the family's queries of that kind
  std::string received;
  std::optional<ReplyFault> fault;
  // What the reading of servo 1 (or the board) holds; -1 where the reply carries nothing.
  int32_t position = -1;
  int32_t celsius = -1;
  int32_t millivolts = -1;
  int moving = -1;
  bool noTarget = false;
  int32_t load = -1;
  bool overload = false;
};

std::ostream& operator<<(std::ostream& out, const ReplyCase& c) {
  return out << c.name;
}

// An STS answer of id 1 to the read of 56..66: step 2048, load 100 against the direction,
// 12.0 V, 40 degrees, moving.
const std::string kStsAnswer = Hex("FF FF 01 0D 00 00 08 00 00 64 04 78 28 00 00 01 E0");
const std::string kStsQuery = Hex("FF FF 01 04 02 38 0B B5");
const std::string kLxPosQuery = Hex("55 55 01 03 1C DF");
const std::string kLxPosAnswer = Hex("55 55 01 05 1C F4 01 E8");

const ReplyCase kCases[] = {
    {"AsciiPulse", F::Ssc32, QueryKind::Pose, 0, Hex("96"), {}, 127},
    {"AsciiNoPulseYet", F::Ssc32, QueryKind::Pose, 0, Hex("00"), {}, -1, -1, -1, -1, true},
    {"AsciiPulseOutOfRange", F::Ssc32, QueryKind::Pose, 0, Hex("05"), ReplyFault::Malformed},
    {"AsciiNothing", F::Ssc32, QueryKind::Pose, 0, "", ReplyFault::Short},
    {"AsciiDone", F::Ssc32, QueryKind::Moving, 0, ".", {}, -1, -1, -1, 0},
    {"AsciiMoving", F::Ssc32, QueryKind::Moving, 0, "+", {}, -1, -1, -1, 1},
    {"AsciiMovingGarbled", F::Ssc32, QueryKind::Moving, 0, "?", ReplyFault::Malformed},
    {"MaestroPosition", F::Maestro, QueryKind::Pose, 0, Hex("70 17"), {}, 127},
    {"MaestroChannelOff", F::Maestro, QueryKind::Pose, 0, Hex("00 00"), {}, -1, -1, -1, -1, true},
    {"MaestroHalfAnswer", F::Maestro, QueryKind::Pose, 0, Hex("70"), ReplyFault::Short},
    {"MaestroMoving", F::Maestro, QueryKind::Moving, 0, Hex("01"), {}, -1, -1, -1, 1},
    {"MaestroMovingGarbled", F::Maestro, QueryKind::Moving, 0, Hex("02"), ReplyFault::Malformed},
    {"Sts", F::Sts, QueryKind::Pose, 0, kStsAnswer, {}, 127, 40, 12000, 1, false, -100},
    {"StsAfterEcho",
     F::Sts,
     QueryKind::Pose,
     0,
     kStsQuery + kStsAnswer,
     {},
     127,
     40,
     12000,
     1,
     false,
     -100},
    {"StsOverload",
     F::Sts,
     QueryKind::Pose,
     0,
     Hex("FF FF 01 0D 20 00 08 00 00 64 04 78 28 00 00 01 C0"),
     {},
     127,
     40,
     12000,
     1,
     false,
     -100,
     true},
    {"StsEchoOnly", F::Sts, QueryKind::Pose, 0, kStsQuery, ReplyFault::Short},
    {"StsPartOfEcho", F::Sts, QueryKind::Pose, 0, kStsQuery.substr(0, 3), ReplyFault::Short},
    {"StsCutShort", F::Sts, QueryKind::Pose, 0, kStsQuery + kStsAnswer.substr(0, 16),
     ReplyFault::Short},
    {"StsBadChecksum", F::Sts, QueryKind::Pose, 0,
     Hex("FF FF 01 0D 00 00 08 00 00 64 04 78 28 00 00 01 E1"), ReplyFault::BadChecksum},
    {"StsOtherServo", F::Sts, QueryKind::Pose, 0,
     Hex("FF FF 02 0D 00 00 08 00 00 64 04 78 28 00 00 01 DF"), ReplyFault::Malformed},
    {"StsNoHeader", F::Sts, QueryKind::Pose, 0,
     Hex("00 FF FF 01 0D 00 00 08 00 00 64 04 78 28 00 00 01"), ReplyFault::Malformed},
    {"StsWrongLength", F::Sts, QueryKind::Pose, 0,
     Hex("FF FF 01 02 00 FC 00 00 00 00 00 00 00 00 00 00 00"), ReplyFault::Malformed},
    {"LxPosition", F::Lx16a, QueryKind::Pose, 0, kLxPosAnswer, {}, 127},
    {"LxPositionAfterEcho", F::Lx16a, QueryKind::Pose, 0, kLxPosQuery + kLxPosAnswer, {}, 127},
    {"LxPastItsEnd", F::Lx16a, QueryKind::Pose, 0, Hex("55 55 01 05 1C F6 FF E8"), {}, -46},
    {"LxTemperature", F::Lx16a, QueryKind::Health, 0, Hex("55 55 01 04 1A 2D B3"), {}, -1, 45},
    {"LxVoltage",
     F::Lx16a,
     QueryKind::Health,
     1,
     Hex("55 55 01 05 1B 30 2A 84"),
     {},
     -1,
     -1,
     10800},
    {"LxShort", F::Lx16a, QueryKind::Pose, 0, kLxPosAnswer.substr(0, 7), ReplyFault::Short},
    {"LxBadChecksum", F::Lx16a, QueryKind::Pose, 0, Hex("55 55 01 05 1C F4 01 E9"),
     ReplyFault::BadChecksum},
    {"LxOtherCommand", F::Lx16a, QueryKind::Pose, 0, Hex("55 55 01 05 1B F4 01 E9"),
     ReplyFault::Malformed},
};

class BoardReply : public testing::TestWithParam<ReplyCase> {};

TEST_P(BoardReply, ReadsWhatTheDocumentSaysOrTellsWhy) {
  const ReplyCase& c = GetParam();
  const auto board = MakeBoard(FamilyConfig(c.family));
  const BoardQuery query = board->Queries(c.kind).at(c.query);
  const ReplyResult result = board->DecodeReply(query, c.received);
  ASSERT_EQ(result.fault, c.fault);
  const ServoReading& servo = result.reading.servos[1];
  const auto value = [](const std::optional<int32_t>& v) { return v.value_or(-1); };
  EXPECT_EQ(value(servo.position), c.position);
  EXPECT_EQ(value(servo.celsius), c.celsius);
  EXPECT_EQ(value(servo.millivolts), c.millivolts);
  const auto moving = servo.moving ? servo.moving : result.reading.moving;
  EXPECT_EQ(moving ? int{*moving} : -1, c.moving);
  EXPECT_EQ(servo.noTarget, c.noTarget);
  EXPECT_EQ(value(servo.loadPermille), c.load);
  EXPECT_EQ(servo.overload, c.overload);
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
      {F::Ssc32, QueryKind::Pose, 6, "QP 0\r", 1},
      {F::Ssc32, QueryKind::Moving, 1, "Q\r", 1},
      {F::Maestro, QueryKind::Pose, 6, Hex("90 00"), 2},
      {F::Maestro, QueryKind::Moving, 1, Hex("93"), 1},
      {F::Sts, QueryKind::Pose, 6, kStsQuery, 17},
      {F::Lx16a, QueryKind::Pose, 6, kLxPosQuery, 8},
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
