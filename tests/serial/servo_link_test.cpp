// The port as the program places it and connects it, whatever it held before.
#include "servo_link.h"

#include <gtest/gtest.h>

#include "board_factory.h"
#include "com_port.h"
#include "fake_clock.h"
#include "port_fixture.h"

namespace {

TEST(ServoLink, ThePlacedPortIsCom1At9600With8N1AndNoHandshake) {
  TComPort port;
  port.SetBaudRate(br19200);
  port.Parity().SetBits(prOdd);
  port.SetStopBits(sbTwoStopBits);
  port.SetDataBits(dbSeven);
  port.SetEvents({});
  port.FlowControl().SetOutCTSFlow(true);
  port.FlowControl().SetOutDSRFlow(true);
  port.FlowControl().SetControlDTR(dtrEnable);
  port.FlowControl().SetControlRTS(rtsEnable);
  port.FlowControl().SetXonXoffOut(true);
  port.FlowControl().SetXonXoffIn(true);
  port.Timeouts().SetWriteTotalMultiplier(1);
  port.Timeouts().SetReadTotalMultiplier(1);
  port.Timeouts().SetReadTotalConstant(1);

  PlaceServoPort(port);
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.Parity().Bits(), prNone);
  EXPECT_EQ(port.StopBits(), sbOneStopBit);
  EXPECT_EQ(port.DataBits(), dbEight);
  EXPECT_EQ(port.Events(), kAllComEvents);
  EXPECT_EQ(port.Buffer().OutputSize(), 180);
  const TComFlowControl& flow = port.FlowControl();
  EXPECT_FALSE(flow.OutCTSFlow() || flow.OutDSRFlow() || flow.XonXoffOut() || flow.XonXoffIn());
  EXPECT_EQ(flow.ControlDTR(), dtrDisable);
  EXPECT_EQ(flow.ControlRTS(), rtsDisable);
  EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 500);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
  EXPECT_EQ(port.Timeouts().ReadTotalMultiplier(), 5);
  EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 10);
}

TEST_F(PortOnPty, ConnectingTakesTheLineValuesAndDropsAnyHandshake) {
  port.FlowControl().SetXonXoffOut(true);
  ServoLineSettings line;
  line.port = pty.slavePath();
  line.baudRate = "57600";
  line.parityCheck = 0x0101;  // the low byte decides
  line.stopBits = "2";
  line.dataBits = "7";
  ConnectServoPort(port, line);
  ASSERT_TRUE(port.Connected());
  EXPECT_EQ(port.BaudRate(), br57600);
  EXPECT_TRUE(port.Parity().Check());
  EXPECT_EQ(port.StopBits(), sbTwoStopBits);
  EXPECT_EQ(port.DataBits(), dbSeven);
  EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
  line.parityCheck = 0x0100;
  ConnectServoPort(port, line);
  ASSERT_TRUE(port.Connected());
  EXPECT_FALSE(port.Parity().Check());
}

// Bus servos run at rates no name stands for; a name or a number the table has keeps its member.
TEST_F(PortOnPty, AnyWholeRateReachesTheLine) {
  struct Case {
    const char* text;
    TBaudRate rate;
    int32_t custom;
    int64_t formatBaud;
  } const cases[] = {{"1000000", brCustom, 1000000, 1000000},
                     {"115200", br115200, 9600, 115200},
                     {"4000001", br9600, 9600, 9600},
                     {"fast", br9600, 9600, 9600}};
  for (const Case& c : cases) {
    port.SetCustomRate(9600);
    ServoLineSettings line;
    line.port = pty.slavePath();
    line.baudRate = c.text;
    ConnectServoPort(port, line);
    ASSERT_TRUE(port.Connected()) << c.text;
    EXPECT_EQ(port.BaudRate(), c.rate) << c.text;
    EXPECT_EQ(port.CustomRate(), c.custom) << c.text;
    EXPECT_EQ(ServoLineFormat(line).baud, c.formatBaud) << c.text;
  }
}

// The frames go out in one write, then the pause; the transmit-empty flag waits for the port to
// say the queue is empty again.
TEST_F(PortOnPty, ServoFramesGoOutWholeThenThePause) {
  using namespace std::chrono_literals;
  port.SetEvents({});
  port.OpenPort();
  ServoState state;
  state.txEmpty = true;
  FakeClock clock;
  const ByteString frames = EncodeServoFrame(1, 2) + EncodeServoFrame(3, 4);
  WriteServoFrames(port, state, frames, clock);
  EXPECT_EQ(pty.ReadPeer(frames.size(), 2s), frames);
  EXPECT_FALSE(state.txEmpty);
  EXPECT_EQ(clock.sleeps, std::vector<std::chrono::microseconds>{2ms});

  // Nothing to send: no write and no pause.
  state.txEmpty = true;
  WriteServoFrames(port, state, {}, clock);
  EXPECT_TRUE(state.txEmpty);
  EXPECT_EQ(clock.sleeps.size(), 1u);
  EXPECT_EQ(pty.Drain(50ms), "");

  // Another board gets the frames in its own bytes.
  ServoTables tables;
  tables.Address[1] = 1;
  tables.Address[3] = 3;
  WriteServoFrames(port, state, frames, clock, BoardLine(FamilyConfig(BoardFamily::Ssc32), tables));
  EXPECT_EQ(pty.ReadPeer(13, 2s), "#0P516#2P531\r");
  port.ClosePort();
}

}  // namespace
