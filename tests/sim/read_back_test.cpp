#include <gtest/gtest.h>

#include <array>
#include <deque>

#include "board_reader.h"
#include "com_port.h"
#include "family_board.h"
#include "port_reply_line.h"
#include "virtual_controller.h"

namespace {

const bool registered = (RegisterVirtualServoController(), true);

class ReadBackOnTheLine : public testing::TestWithParam<const char*> {};

TEST_P(ReadBackOnTheLine, ReadsThePoseTheBoardHoldsAndStopsAtASilentServo) {
  const BoardConfig config = FamilyBoard(GetParam());
  const auto board = MakeBoard(config);
  TVirtualServoController& controller = TVirtualServoController::Instance();
  controller.SetBoard(config);
  const int32_t left[7] = {0, 200, 30, 127, 0, 254, 90};
  controller.SetPose(left);
  TComPort port;
  port.SetPort("sim");
  port.Timeouts().SetReadTotalConstant(500);  // the listening thread may be slow to answer
  port.SetConnected(true);
  PortReplyLine line(port);

  BoardReader reader(*board, true);
  const auto reading = reader.ReadAll(line);
  ASSERT_TRUE(reading) << reader.fault();
  const auto pose = MeasuredPose(*reading);
  ASSERT_TRUE(pose);
  for (int s = 1; s <= kServoCount; ++s) EXPECT_NEAR((*pose)[s], left[s], 1) << s;
  if (config.family == BoardFamily::Sts || config.family == BoardFamily::Lx16a) {
    EXPECT_EQ(reading->servos[2].celsius, 35);
    EXPECT_EQ(reading->servos[2].millivolts, 7400);
    // A servo off the bus: the round of questions stops at it, once and for all.
    controller.SetAnswering(3, false);
    for (int i = 0; i < 20 && reader.ReadNext(line); ++i) continue;
    EXPECT_FALSE(reader.active());
    EXPECT_EQ(reader.fault(), "Servo 3: the reply is too short or never came; reading back is off");
    EXPECT_FALSE(reader.ReadNext(line));
    controller.SetAnswering(3, true);
  }
  port.SetConnected(false);
  controller.SetBoard(FamilyBoard("vantrel"));
}

INSTANTIATE_TEST_SUITE_P(AnsweringFamilies, ReadBackOnTheLine,
                         testing::Values("ssc32", "maestro", "sts", "lx16a"));

// Hands out the answers it was given, chunk by chunk, and counts the questions.
class ScriptedLine : public ReplyLine {
 public:
  explicit ScriptedLine(std::deque<std::string> chunks) : chunks_(std::move(chunks)) {}
  void Send(const ByteString& bytes) override { sent.push_back(bytes); }
  std::string Receive(size_t count) override {
    if (chunks_.empty()) return {};
    std::string chunk = chunks_.front().substr(0, count);
    chunks_.front().erase(0, count);
    if (chunks_.front().empty()) chunks_.pop_front();
    return chunk;
  }
  std::vector<ByteString> sent;

 private:
  std::deque<std::string> chunks_;
};

TEST(ReadBack, EachKindOfBadReplyIsReportedOnceAndNothingIsAskedTwice) {
  const auto board = MakeBoard(FamilyBoard("sts"));
  const BoardQuery first = board->Queries(QueryKind::Pose).front();
  // Servo 1 at 2048 steps, 35 °C, 7.4 V, as the virtual board answers it.
  TVirtualServoController controller;
  controller.SetBoard(FamilyBoard("sts"));
  controller.SetPose(std::array<int32_t, 7>{0, 127, 127, 127, 127, 127, 127}.data());
  const std::string good = controller.Take(first.bytes);  // the echo, then the answer
  std::string badSum = good;
  badSum.back() = static_cast<char>(badSum.back() ^ 1);
  std::string wrongId = good;
  wrongId[first.bytes.size() + 2] = 9;
  const struct {
    std::deque<std::string> chunks;
    const char* fault;  // empty: servo 1 read
  } cases[] = {
      {{good.substr(0, 5), good.substr(5)}, ""},
      // The echo of the tick before, late, in front of the question's own.
      {{std::string("\xFF\xFF\xFE\x04\x83\x28\x01\x53", 8) + good}, ""},
      {{}, "Servo 1: the reply is too short or never came; reading back is off"},
      {{good.substr(0, good.size() - 1)},
       "Servo 1: the reply is too short or never came; reading back is off"},
      {{badSum}, "Servo 1: the reply has a bad checksum; reading back is off"},
      {{wrongId}, "Servo 1: the reply is malformed; reading back is off"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    ScriptedLine line(c.chunks);
    BoardReader reader(*board, false);
    EXPECT_EQ(reader.ReadNext(line), *c.fault == '\0');
    EXPECT_EQ(reader.fault(), c.fault);
    EXPECT_EQ(line.sent, std::vector<ByteString>{first.bytes});
    if (*c.fault == '\0') EXPECT_EQ(reader.reading().servos[1].position, 127);
  }
}

TEST(ReadBack, AHotOrOverloadedServoRaisesTheAlarmAndAPoseNeedsEveryServo) {
  BoardReading reading;
  for (int s = 1; s <= kServoCount; ++s) {
    reading.servos[s].position = 100 + s;
    reading.servos[s].celsius = 70;
  }
  EXPECT_EQ(HealthAlarm(reading, 70), std::nullopt);
  EXPECT_EQ((*MeasuredPose(reading))[6], 106);
  reading.servos[5].celsius = 71;
  EXPECT_EQ(HealthAlarm(reading, 70), "Servo 5 is at 71 °C, above 70 °C");
  reading.servos[2].overload = true;
  EXPECT_EQ(HealthAlarm(reading, 70), "Servo 2 reports overload");
  reading.servos[4].noTarget = true;
  EXPECT_EQ(MeasuredPose(reading), std::nullopt);
}

class HostAndBoard : public testing::TestWithParam<const char*> {};

// The host's bytes for a tick, its torque switch and its questions, against the virtual board of
// the same family: what one side writes the other reads.
TEST_P(HostAndBoard, WhatTheHostSendsTheBoardTakesAndWhatTheBoardAnswersTheHostReads) {
  const BoardConfig config = FamilyBoard(GetParam());
  const auto host = MakeBoard(config);
  TVirtualServoController board;
  board.SetBoard(config);
  const ServoTarget targets[] = {{1, 0}, {2, 254}, {3, 17}, {4, 127}, {5, 200}, {6, 99}};
  const ByteString tick = host->EncodeTick(targets);
  // Only the half-duplex adapter hands anything back: the echo.
  EXPECT_EQ(board.Take(tick), config.family == BoardFamily::Sts ? tick : ByteString());
  const auto state = board.State();
  EXPECT_EQ(state.badFrames, 0u);
  for (const ServoTarget& t : targets) EXPECT_EQ(state.position[t.servo], t.position) << t.servo;

  for (const BoardQuery& query : host->Queries(QueryKind::Pose)) {
    const ReplyResult reply = host->DecodeReply(query, board.Take(query.bytes));
    ASSERT_TRUE(reply.ok()) << query.servo;
    // The ASCII board answers in tens of microseconds, a little over a position.
    EXPECT_NEAR(reply.reading.servos[query.servo].position.value(),
                targets[query.servo - 1].position, config.family == BoardFamily::Ssc32 ? 1 : 0);
  }
  const ByteString off = host->TorqueCommand(false);
  board.Take(off);
  EXPECT_EQ(board.State().limp[3], !off.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, HostAndBoard,
                         testing::Values("vantrel", "ssc32", "maestro", "minissc", "sts", "lx16a"));

}  // namespace
