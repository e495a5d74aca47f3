#include <gtest/gtest.h>

#include "family_board.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "com_port.h"
#include "virtual_controller.h"

namespace {

using namespace std::chrono_literals;

// The window registers the controller at start; these tests run without a window.
const bool registered = (RegisterVirtualServoController(), true);

// Waits until the controller has seen `frames` good frames, or gives up after a while.
TVirtualServoController::Snapshot WaitForFrames(uint64_t frames) {
  TVirtualServoController& c = TVirtualServoController::Instance();
  for (int i = 0; i < 300 && c.State().frames < frames; ++i) {
    std::this_thread::sleep_for(10ms);
  }
  return c.State();
}

TEST(VirtualController, TheSimPortDrivesTheControllerThroughTheRealPath) {
  EXPECT_TRUE(IsVirtualPortName("sim"));
  EXPECT_TRUE(IsVirtualPortName("SiM"));
  EXPECT_FALSE(IsVirtualPortName("simx"));

  TComPort port;
  port.SetPort("SIM");
  const int32_t addresses[7] = {0, 1, 2, 3, 0x60, 5, 6};
  TVirtualServoController::Instance().SetAddresses(addresses);
  port.SetConnected(true);
  ASSERT_TRUE(TVirtualServoController::Instance().Running());
  const uint64_t before = TVirtualServoController::Instance().State().frames;

  // Garbage first, a frame with a wrong check byte, then frames holding 0x00 bytes.
  ByteString bad = EncodeServoFrame(2, 10);
  bad[3] = static_cast<char>(bad[3] ^ 1);
  EXPECT_EQ(port.SendText(ByteString("\x01\x02", 2) + bad + EncodeServoFrame(0x60, 0) +
                          EncodeServoFrame(1, 200)),
            14);
  const auto s = WaitForFrames(before + 2);
  EXPECT_EQ(s.frames - before, 2u);
  EXPECT_GE(s.badFrames, 1u);
  EXPECT_EQ(s.position[4], 0);  // address 0x60 belongs to servo 4
  EXPECT_EQ(s.position[1], 200);
  EXPECT_NE(s.position[2], 10);  // the broken frame moved nothing

  port.SetConnected(false);
  EXPECT_FALSE(TVirtualServoController::Instance().Running());
  // The last positions stay for the next opening.
  EXPECT_EQ(TVirtualServoController::Instance().State().position[1], 200);
}

TEST(VirtualController, FramesSplitAcrossWritesStillArrive) {
  TComPort port;
  port.SetPort("sim");
  const int32_t addresses[7] = {0, 1, 2, 3, 4, 5, 6};
  TVirtualServoController::Instance().SetAddresses(addresses);
  port.SetConnected(true);
  const uint64_t before = TVirtualServoController::Instance().State().frames;
  const ByteString frames = EncodeServoFrame(6, 77) + EncodeServoFrame(5, 0xFF);
  for (char byte : frames) {
    port.SendText(ByteString(1, byte));
    QCoreApplication::processEvents();
  }
  const auto s = WaitForFrames(before + 2);
  EXPECT_EQ(s.frames - before, 2u);
  EXPECT_EQ(s.position[6], 77);
  EXPECT_EQ(s.position[5], 0xFF);
}

TEST(VirtualController, WaitingForFramesWakesOnArrivalOrAtTheDeadline) {
  TVirtualServoController& c = TVirtualServoController::Instance();
  TComPort port;
  port.SetPort("sim");
  port.SetConnected(true);
  const auto s0 = c.State();
  const uint64_t seen = s0.frames + s0.badFrames;
  // Nothing arrives: back at the deadline with the same count.
  EXPECT_EQ(c.WaitForFrames(seen, std::chrono::steady_clock::now() + 30ms), seen);

  // A frame: back as soon as it has been taken, long before a deadline far away.
  const auto start = std::chrono::steady_clock::now();
  port.SendText(EncodeServoFrame(3, 42));
  const uint64_t now = c.WaitForFrames(seen, start + 60s);
  EXPECT_EQ(now, seen + 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  EXPECT_EQ(c.State().position[3], 42);
}

struct LineCase {
  const char* family;
  ByteString question;
  ByteString answer;  // for servo 1 set to 200, 2075 us or 2637 / 716 steps
};

const LineCase kLineCases[] = {
    {"ssc32", "QP 0\r", "\xCF"},
    {"maestro", ByteString("\x90\x00", 2), "\x6C\x20"},
    // The adapter hands the question back before the answer.
    {"sts", "\xFF\xFF\x01\x04\x02\x38\x02\xBE",
     ByteString("\xFF\xFF\x01\x04\x02\x38\x02\xBE\xFF\xFF\x01\x04\x00\x4D\x0A\xA3", 16)},
    {"lx16a", "\x55\x55\x01\x03\x1C\xDF", "\x55\x55\x01\x05\x1C\xCC\x02\x0F"},
};

class VirtualBoardLine : public testing::TestWithParam<LineCase> {
 protected:
  ByteString Ask(TComPort& port, const ByteString& question, size_t count) {
    port.SendText(question);
    ByteString answer(count + 1, '\0');
    answer.resize(static_cast<size_t>(port.ReceiveBytes(answer.data(), int(answer.size()))));
    return answer;
  }
};

TEST_P(VirtualBoardLine, AnswersOnThePortWhereTheArmWasLeft) {
  const LineCase& c = GetParam();
  TVirtualServoController& controller = TVirtualServoController::Instance();
  controller.SetBoard(FamilyBoard(c.family));
  const int32_t left[7] = {0, 200, 30, 127, 127, 127, 127};
  controller.SetPose(left);
  TComPort port;
  port.SetPort("sim");
  port.Timeouts().SetReadTotalConstant(300);
  port.SetConnected(true);
  EXPECT_EQ(Ask(port, c.question, c.answer.size()), c.answer);
  EXPECT_EQ(controller.State().position[2], 30);
  if (std::string(c.family) == "ssc32") {
    // Just powered: no target yet, no pulse.
    controller.ForgetTargets();
    EXPECT_EQ(Ask(port, c.question, 1), ByteString(1, '\0'));
  } else if (c.answer.size() > c.question.size()) {
    // A servo not on the bus: nothing but the echo comes back.
    controller.SetAnswering(1, false);
    const ByteString echo = c.family == std::string("sts") ? c.question : ByteString();
    EXPECT_EQ(Ask(port, c.question, c.answer.size()), echo);
    controller.SetAnswering(1, true);
  }
  port.SetConnected(false);
  controller.SetBoard(FamilyBoard("vantrel"));
}

INSTANTIATE_TEST_SUITE_P(AnsweringFamilies, VirtualBoardLine, testing::ValuesIn(kLineCases),
                         [](const testing::TestParamInfo<LineCase>& info) {
                           return std::string(info.param.family);
                         });

}  // namespace
