#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "com_device_rate.h"
#include "com_error.h"
#include "com_port.h"
#include "com_send.h"
#include "com_thread.h"
#include "error_report.h"
#include "port_fixture.h"
#include "pty_pair.h"
#include "temp_dir.h"
#include "virtual_devices.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

termios SlaveSettings(const PtyPair& pty) {
  const int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  termios t{};
  ::tcgetattr(fd, &t);
  ::close(fd);
  return t;
}

uint32_t SlaveRate(const PtyPair& pty) {
  const int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  uint32_t rate = 0;
  EXPECT_EQ(ReadLineRate(fd, &rate), 0);
  ::close(fd);
  return rate;
}

TEST_F(PortOnPty, SettingsReachTheDevice) {
  port.SetBaudRate(br57600);
  port.Parity().SetBits(prMark);
  port.Parity().SetCheck(true);
  port.SetStopBits(sbTwoStopBits);
  port.FlowControl().SetOutCTSFlow(true);
  port.FlowControl().SetXonXoffIn(true);
  port.FlowControl().SetXonXoffOut(true);
  port.FlowControl().SetXonChar(5);
  port.FlowControl().SetXoffChar(6);
  port.OpenPort();
  ASSERT_TRUE(port.Connected());

  termios t = SlaveSettings(pty);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B57600));
  EXPECT_TRUE(t.c_cflag & CMSPAR);
  EXPECT_TRUE(t.c_cflag & PARODD);
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_TRUE(t.c_cflag & CRTSCTS);
  EXPECT_TRUE(t.c_iflag & IXON);
  EXPECT_TRUE(t.c_iflag & IXOFF);
  EXPECT_TRUE(t.c_iflag & INPCK);
  EXPECT_EQ(t.c_cc[VSTART], 5);
  EXPECT_EQ(t.c_cc[VSTOP], 6);
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_FALSE(t.c_oflag & OPOST);

  // Changes on the open port arrive at once: each parity scheme and the custom rate. A
  // pseudo-terminal keeps PARENB to itself, so the scheme shows in PARODD and CMSPAR.
  struct Scheme {
    TParityBits bits;
    tcflag_t flags;
  };
  for (const Scheme s : {Scheme{prNone, 0}, Scheme{prOdd, PARODD}, Scheme{prEven, 0},
                         Scheme{prMark, CMSPAR | PARODD}, Scheme{prSpace, CMSPAR}}) {
    port.Parity().SetBits(s.bits);
    EXPECT_EQ(SlaveSettings(pty).c_cflag & (PARODD | CMSPAR), s.flags) << ParityName(s.bits);
  }
  port.SetBaudRate(brCustom);
  port.SetCustomRate(31250);
  port.FlowControl().SetXonChar(7);
  t = SlaveSettings(pty);
  EXPECT_EQ(t.c_cc[VSTART], 7);
  EXPECT_EQ(t.c_cc[VSTOP], 6);
  EXPECT_TRUE(t.c_cflag & CMSPAR);
  EXPECT_FALSE(t.c_cflag & PARODD);
  EXPECT_EQ(SlaveRate(pty), 31250u);
  EXPECT_TRUE(t.c_cflag & CSTOPB);  // the rest stays as it was set

  port.SetBaudRate(br14400);  // named, but no standard speed
  EXPECT_EQ(SlaveRate(pty), 14400u);
  port.SetBaudRate(ParseBaudRate("115200"));
  EXPECT_EQ(SlaveRate(pty), 115200u);
}

TEST_F(PortOnPty, ClosedPortStoresSettingsForTheNextOpen) {
  port.OpenPort();
  port.ClosePort();
  port.SetBaudRate(br19200);
  EXPECT_EQ(SlaveRate(pty), 9600u);
  port.OpenPort();
  EXPECT_EQ(SlaveRate(pty), 19200u);
}

TEST_F(PortOnPty, StopBitsOneAndAHalfNeedFiveDataBits) {
  int before = 0;
  int after = 0;
  port.OnBeforeOpen = [&](TCustomComPort*) { ++before; };
  port.OnAfterOpen = [&](TCustomComPort*) { ++after; };
  port.SetStopBits(sbOne5StopBits);
  const EComPort e = Raised([&] { port.OpenPort(); });
  EXPECT_EQ(e.messageNumber, 7);
  EXPECT_EQ(e.systemError, EINVAL);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 0);
  EXPECT_EQ(port.EventThread(), nullptr);

  // The failed open let go of the device: another port can take it.
  TComPort other;
  other.SetPort(pty.slavePath());
  EXPECT_NO_THROW(other.OpenPort());
  other.ClosePort();

  port.SetDataBits(dbFive);
  port.OpenPort();
  EXPECT_TRUE(SlaveSettings(pty).c_cflag & CSTOPB);
}

TEST_F(PortOnPty, SettingsLinuxCannotGiveFailWhileOpen) {
  port.OpenPort();
  const EComPort e = Raised([&] { port.FlowControl().SetOutDSRFlow(true); });
  EXPECT_EQ(e.messageNumber, 7);
  EXPECT_EQ(e.systemError, EINVAL);
  EXPECT_TRUE(port.FlowControl().OutDSRFlow());  // the value is kept
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(Raised([&] { port.FlowControl().SetControlDTR(dtrHandshake); }).messageNumber, 7);
}

TEST_F(PortOnPty, OpensExclusively) {
  port.OpenPort();
  TComPort second;
  second.SetPort(pty.slavePath());
  const EComPort e = Raised([&] { second.OpenPort(); });
  EXPECT_EQ(e.messageNumber, 1);
  EXPECT_TRUE(e.systemError == EAGAIN || e.systemError == EBUSY) << e.systemError;
  EXPECT_FALSE(second.Connected());
  port.ClosePort();
  EXPECT_NO_THROW(second.OpenPort());
}

TEST(ComPortOpen, UnknownEmptyOrNonTerminalNamesFailWithMessage1) {
  TComPort port;
  port.SetPort("");
  EComPort e = Raised([&] { port.OpenPort(); });
  EXPECT_EQ(e.messageNumber, 1);
  EXPECT_EQ(e.systemError, ENOENT);
  port.SetPort("vantrel-no-such-port");
  EXPECT_EQ(Raised([&] { port.OpenPort(); }).systemError, ENOENT);
  TempDir dir;
  const std::string file = dir.path() + "/plain";
  WriteFile(file, "x");
  port.SetPort(file);
  e = Raised([&] { port.OpenPort(); });
  EXPECT_EQ(e.messageNumber, 1);
  EXPECT_EQ(e.systemError, ENOTTY);
  EXPECT_FALSE(port.Connected());
}

TEST_F(PortOnPty, AWriteCutShortByItsTimeOutIsAFailedWriteForFrames) {
  port.Timeouts().SetWriteTotalMultiplier(0);
  port.Timeouts().SetWriteTotalConstant(30);
  port.OpenPort();
  EXPECT_NO_THROW(SendAllText(port, "abcd"));
  ASSERT_EQ(pty.ReadPeer(4, 2s), "abcd");
  // A peer that has stopped reading: the port returns the short count, and for frames that
  // is an error.
  const ByteString lots(1 << 20, 'x');
  try {
    SendAllText(port, lots);
    FAIL() << "no error";
  } catch (const EComWriteTimeout& e) {
    EXPECT_GT(e.sent, 0);
    EXPECT_LT(e.sent, e.asked);
    EXPECT_EQ(e.asked, 1 << 20);
    EXPECT_EQ(std::string(e.what()),
              "Serial write timed out: " + std::to_string(e.sent) + " of 1048576 bytes sent");
    EXPECT_EQ(e.detail(), pty.slavePath());
  }
  ASSERT_TRUE(FillLine(port));
  try {
    SendAllText(port, ByteString(24, 'f'));
    FAIL() << "no error";
  } catch (const EComWriteTimeout& e) {
    EXPECT_STREQ(e.what(), "Serial write timed out: 0 of 24 bytes sent");
  }
}

TEST_F(PortOnPty, OpenAndWriteErrorsNameTheDeviceAndTheReason) {
  port.SetPort("vantrel-no-such-port");
  EXPECT_EQ(Raised([&] { port.OpenPort(); }).detail(),
            "/dev/vantrel-no-such-port: No such file or directory");
  port.SetPort("COM200");
  EXPECT_EQ(Raised([&] { port.OpenPort(); }).detail(), "/dev/ttyS199: No such file or directory");
  port.SetPort("");
  EXPECT_EQ(Raised([&] { port.OpenPort(); }).detail(), "no port name is set");

  port.SetPort(pty.slavePath());
  port.OpenPort();
  TComPort second;
  second.SetPort(pty.slavePath());
  const EComPort busy = Raised([&] { second.OpenPort(); });
  EXPECT_EQ(busy.detail(), pty.slavePath() + ": " + std::strerror(busy.systemError) +
                               "; the port is in use by another program");
  const EComPort closed = Raised([&] { second.SendText("x"); });
  EXPECT_EQ(closed.messageNumber, 2);
  EXPECT_EQ(closed.detail(), pty.slavePath() + ": the port is not open");
}

TEST_F(PortOnPty, ARegisteredVirtualDeviceOpensThePathItHandsOver) {
  int closes = 0;
  int failWith = 0;
  RegisterVirtualDevice("Fake-Arm", {[&](std::string* path) {
                                       *path = pty.slavePath();
                                       return failWith;
                                     },
                                     [&] { ++closes; }});
  port.SetPort("fake-ARM");  // names match in any letter case
  port.OpenPort();
  EXPECT_EQ(port.SendText("hi"), 2);
  EXPECT_EQ(pty.ReadPeer(2, 2s), "hi");
  EXPECT_EQ(closes, 0);
  port.ClosePort();
  EXPECT_EQ(closes, 1);

  // An opener that fails is the open's failure, with its error number; nothing is left open.
  failWith = EACCES;
  EComPort e = Raised([&] { port.OpenPort(); });
  EXPECT_EQ(e.messageNumber, 1);
  EXPECT_EQ(e.systemError, EACCES);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(closes, 1);

  UnregisterVirtualDevice("FAKE-arm");
  EXPECT_EQ(FindVirtualDevice("fake-arm"), nullptr);
  EXPECT_EQ(Raised([&] { port.OpenPort(); }).systemError, ENOENT);
}

TEST_F(PortOnPty, PortChangeReopensOnTheNewDevice) {
  PtyPair other;
  int opens = 0;
  int closes = 0;
  port.OnAfterOpen = [&](TCustomComPort*) { ++opens; };
  port.OnAfterClose = [&](TCustomComPort*) { ++closes; };
  port.OpenPort();
  port.SetPort(std::string(pty.slavePath()));  // same name: nothing happens
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(closes, 0);
  port.SetPort(other.slavePath());
  EXPECT_EQ(opens, 2);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(port.SendText("new"), 3);
  EXPECT_EQ(other.ReadPeer(3, 2s), "new");
  EXPECT_EQ(pty.Drain(50ms), "");
}

TEST_F(PortOnPty, SyncMethodIsRefusedWhileConnected) {
  port.OpenPort();
  const EComPort e = Raised([&] { port.SetSyncMethod(smWindowSync); });
  EXPECT_EQ(e.messageNumber, 14);
  EXPECT_EQ(e.systemError, -1);
  EXPECT_EQ(port.SyncMethod(), smThreadSync);
  port.ClosePort();
  port.SetSyncMethod(smWindowSync);
  EXPECT_EQ(port.SyncMethod(), smWindowSync);
}

TEST_F(PortOnPty, NoEventsMeansNoThread) {
  port.SetEvents({});
  port.OpenPort();
  EXPECT_EQ(port.EventThread(), nullptr);
  EXPECT_EQ(port.SendText("x"), 1);
  port.ClosePort();
  EXPECT_FALSE(port.Connected());
  port.SetEvents(kAllComEvents);  // takes effect at the next open
  port.OpenPort();
  EXPECT_NE(port.EventThread(), nullptr);
}

TEST_F(PortOnPty, OpenAndCloseNotifyLinksAndHandlersInOrder) {
  std::string calls;
  TComLink link;
  link.connChanged = [&](TCustomComPort*, bool on) { calls += on ? "conn+ " : "conn- "; };
  link.ctsChanged = [&](TCustomComPort*, bool on) { calls += on ? "cts+ " : "cts- "; };
  link.rlsdChanged = [&](TCustomComPort*, bool on) { calls += on ? "rlsd+ " : "rlsd- "; };
  link.dsrChanged = [&](TCustomComPort*, bool on) { calls += on ? "dsr+ " : "dsr- "; };
  port.AttachLink(&link);
  port.OnBeforeOpen = [&](TCustomComPort*) { calls += "beforeOpen "; };
  port.OnAfterOpen = [&](TCustomComPort*) { calls += "afterOpen "; };
  port.OnCTSChange = [&](TCustomComPort*, bool on) { calls += on ? "CTS+ " : "CTS- "; };
  port.OnDSRChange = [&](TCustomComPort*, bool on) { calls += on ? "DSR+ " : "DSR- "; };
  port.OnRLSDChange = [&](TCustomComPort*, bool on) { calls += on ? "RLSD+ " : "RLSD- "; };
  port.OnBeforeClose = [&](TCustomComPort*) { calls += "beforeClose "; };
  port.OnAfterClose = [&](TCustomComPort*) { calls += "afterClose "; };
  port.OpenPort();
  // A pseudo-terminal has no modem lines: all of them read off.
  EXPECT_EQ(calls, "beforeOpen conn+ afterOpen cts- CTS- dsr- DSR- rlsd- RLSD- ");
  calls.clear();
  port.ClosePort();
  EXPECT_EQ(calls, "cts- dsr- rlsd- CTS- DSR- RLSD- beforeClose conn- afterClose ");
  calls.clear();
  port.ClosePort();  // closed already: nothing
  EXPECT_EQ(calls, "");
  port.DetachLink(&link);
}

TEST_F(PortOnPty, LoadedOpensAPortStoredAsConnected) {
  port.BeginLoading();
  port.SetConnected(true);
  port.SetBaudRate(br4800);
  EXPECT_FALSE(port.Device().IsOpen());
  port.Loaded();
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(SlaveRate(pty), 4800u);

  std::string reported;
  SetErrorReporter([&](const std::string& message, const std::string&) { reported = message; });
  TComPort broken;
  broken.SetPort("vantrel-no-such-port");
  broken.BeginLoading();
  broken.SetConnected(true);
  broken.Loaded();
  SetErrorReporter(nullptr);
  EXPECT_FALSE(broken.Connected());
  EXPECT_EQ(reported, "Unable to open com port: No such file or directory (error 2)");
}

TEST_F(PortOnPty, SendTextWritesEveryByte) {
  port.OpenPort();
  const ByteString frame("\xFF\x00\xA1\x7F\x00\xFE\x0D\x0A", 8);
  EXPECT_EQ(port.SendText(frame), 8);
  EXPECT_EQ(pty.ReadPeer(8, 2s), frame);
  EXPECT_EQ(port.SendText(""), 0);
  EXPECT_EQ(pty.Drain(50ms), "");

  const ByteString big(3000, '\x55');  // more than the pty takes at once
  EXPECT_EQ(port.SendText(big), 3000);
  EXPECT_EQ(pty.ReadPeer(3000, 2s), big);
}

TEST_F(PortOnPty, SendTextOnAClosedPortFails) {
  const EComPort never = Raised([&] { port.SendText("abc"); });
  EXPECT_EQ(never.messageNumber, 2);
  EXPECT_EQ(never.systemError, EBADF);
  EXPECT_STREQ(never.what(), "WriteFile function failed: Bad file descriptor (error 9)");
  port.OpenPort();
  port.ClosePort();
  EXPECT_EQ(Raised([&] { port.SendText("abc"); }).messageNumber, 2);
  EXPECT_EQ(port.SendText(""), 0);  // nothing to write, nothing to fail
}

TEST_F(PortOnPty, WriteTimeOutReturnsTheShortCount) {
  port.FlowControl().SetXonXoffOut(true);
  port.Timeouts().SetWriteTotalMultiplier(20);
  port.Timeouts().SetWriteTotalConstant(200);
  port.OpenPort();
  pty.WritePeer("\x13");  // XOFF: the line stops
  std::this_thread::sleep_for(50ms);
  const auto start = Clock::now();
  const int written = port.SendText("12345678");
  const auto took = Clock::now() - start;
  EXPECT_LT(written, 8);
  EXPECT_GE(took, 340ms);  // 20 * 8 + 200 = 360 ms
  EXPECT_LT(took, 5s);
  pty.WritePeer("\x11");  // XON: the line goes on
  EXPECT_EQ(port.SendText("ok"), 2);
  EXPECT_EQ(pty.ReadPeer(2 + static_cast<size_t>(written), 2s).substr(static_cast<size_t>(written)),
            "ok");
}

TEST_F(PortOnPty, ReceiveBytesHonoursTheReadTimeOuts) {
  port.SetEvents({});
  port.OpenPort();
  char buffer[16];
  auto start = Clock::now();
  EXPECT_EQ(port.ReceiveBytes(buffer, 4), 0);  // 5 * 4 + 10 ms, then nothing
  EXPECT_GE(Clock::now() - start, 25ms);

  pty.WritePeer("hello");
  ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 5; }));
  EXPECT_EQ(port.ReceiveBytes(buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 3), "hel");

  // Interval -1 with no totals: what is there, at once.
  port.Timeouts().SetReadTotalMultiplier(0);
  port.Timeouts().SetReadTotalConstant(0);
  start = Clock::now();
  EXPECT_EQ(port.ReceiveBytes(buffer, 16), 2);
  EXPECT_EQ(std::string(buffer, 2), "lo");
  EXPECT_EQ(port.ReceiveBytes(buffer, 16), 0);
  EXPECT_LT(Clock::now() - start, 1s);
}

TEST_F(PortOnPty, ReceivedBytesAreCleanedAsTheSettingsSay) {
  port.SetEvents({});
  port.Timeouts().SetReadTotalMultiplier(0);
  port.Timeouts().SetReadTotalConstant(0);
  port.Parity().SetCheck(true);
  port.SetDiscardNull(true);
  port.OpenPort();
  // With checking on the kernel marks errors and doubles a real 0xFF; the reader undoes that.
  pty.WritePeer(
      std::string("a\xFF\0b\xFF"
                  "cd",
                  7));
  ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 9; }));
  char buffer[16];
  const int got = port.ReceiveBytes(buffer, 16);
  EXPECT_EQ(std::string(buffer, static_cast<size_t>(got)),
            "a\xFF"
            "b\xFF"
            "cd");

  // Half a doubled 0xFF at the end of a read waits for its other half, but not into the next
  // session: closing clears the queues (the event thread does as it stops), and the reader.
  port.ClosePort();
  port.SetEvents({evRxChar});
  port.SetDiscardNull(false);
  port.OpenPort();
  pty.WritePeer("\xFF");
  ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 2; }));
  EXPECT_EQ(port.ReceiveBytes(buffer, 1), 0);
  port.ClosePort();
  port.OpenPort();
  pty.WritePeer(std::string("\0Z", 2));
  ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 2; }));
  const int next = port.ReceiveBytes(buffer, 16);
  EXPECT_EQ(std::string(buffer, static_cast<size_t>(next)), std::string("\0Z", 2));
}

TEST_F(PortOnPty, AWriteToAVanishedDeviceLosesItOnceAndClosingStillWorks) {
  int lost = 0;
  port.OnDeviceLost = [&](TCustomComPort*) { ++lost; };
  port.OpenPort();
  pty.CloseMaster();
  const auto start = Clock::now();
  try {
    port.SendText("abcd");
    FAIL() << "the write succeeded";
  } catch (const EComDisconnected& e) {
    EXPECT_EQ(std::string(e.what()), "Serial device " + pty.slavePath() + " disconnected");
  }
  EXPECT_LT(Clock::now() - start, 3s);  // the write time-out is 500 * 4 + 1000 ms
  EXPECT_EQ(lost, 1);
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(port.Device().IsOpen());
  EXPECT_TRUE(port.Reconnecting());
  // The event thread's own notice of the hang-up finds the loss handled.
  PumpFor(100ms);
  EXPECT_EQ(lost, 1);
  EXPECT_NO_THROW(port.ClosePort());
  EXPECT_FALSE(port.Reconnecting());
}

}  // namespace
