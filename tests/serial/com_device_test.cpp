// The device layer where the port's own tests do not reach: descriptor 0, opening again,
// reads that must wait for every byte, and signals during a write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "com_device.h"
#include "com_error.h"
#include "com_thread.h"
#include "port_fixture.h"
#include "stdin_closed.h"

namespace {

using namespace std::chrono_literals;

// A program started with its standard input closed gets descriptor 0 for the port.
TEST_F(PortOnPty, APortOnDescriptorZeroWorksAndIsClosedWithIt) {
  port.SetEvents({});
  {
    StdinClosed closed;
    port.OpenPort();
    ASSERT_EQ(port.Device().Handle(), 0);
    EXPECT_EQ(port.SendText("abc"), 3);
    EXPECT_EQ(pty.ReadPeer(3, 2s), "abc");
    pty.WritePeer("xy");
    ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 2; }));
    char buffer[4];
    EXPECT_EQ(port.ReceiveBytes(buffer, 4), 2);
    EXPECT_EQ(std::string(buffer, 2), "xy");
    EXPECT_NO_THROW(port.ModemLines());
    EXPECT_NO_THROW(port.TakeLineErrors());
    EXPECT_NO_THROW(port.CancelPendingIo());
    port.SetBaudRate(br19200);  // applied to the open device
    port.ClosePort();
    EXPECT_FALSE(DescriptorOpen(0));

    // The event thread watches the same descriptor for the transmit-empty event.
    port.SetEvents(kAllComEvents);
    port.SetSyncMethod(smNone);
    std::atomic<int> emptied{0};
    port.OnTxEmpty = [&](TCustomComPort*) { ++emptied; };
    port.OpenPort();
    ASSERT_EQ(port.Device().Handle(), 0);
    EXPECT_EQ(port.SendText("z"), 1);
    EXPECT_TRUE(WaitUntil([&] { return emptied > 0; }));
    port.ClosePort();
    port.OnTxEmpty = nullptr;
  }
}

// The questions a pseudo-terminal cannot answer get the same answer on descriptor 0 as on any
// other: "not this device", never "no device".
TEST(ComDevice, DescriptorZeroIsAnsweredLikeAnyOther) {
  const auto answers = [](TComDevice& device) {
    return std::vector<int>{device.WaitModemChange(TModemLineSet{sigCTS}), device.PulseRts(),
                            device.InLoopback() ? 1 : 0};
  };
  PtyPair first, second;
  TComDevice other;
  ASSERT_EQ(other.Open(first.slavePath()), 0);
  ASSERT_NE(other.Handle(), 0);
  const std::vector<int> expected = answers(other);
  EXPECT_NE(expected[0], EBADF);
  StdinClosed closed;
  TComDevice zero;
  ASSERT_EQ(zero.Open(second.slavePath()), 0);
  ASSERT_EQ(zero.Handle(), 0);
  EXPECT_EQ(answers(zero), expected);
}

// Each side of the line is flushed on its own: the input alone drops what has arrived.
TEST(ComDevice, FlushingTheInputAloneDropsWhatArrived) {
  PtyPair pty;
  TComDevice device;
  ASSERT_EQ(device.Open(pty.slavePath()), 0);
  pty.WritePeer("abc");
  int count = 0;
  ASSERT_TRUE(WaitUntil([&] { return device.InputCount(&count) == 0 && count == 3; }));
  EXPECT_EQ(device.Flush(false, false), 0);
  ASSERT_EQ(device.InputCount(&count), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(device.Flush(true, false), 0);
  ASSERT_EQ(device.InputCount(&count), 0);
  EXPECT_EQ(count, 0);
}

TEST(ComDevice, OpeningAgainLetsGoOfTheDeviceFirst) {
  PtyPair pty;
  TComDevice device;
  ASSERT_EQ(device.Open(pty.slavePath()), 0);
  const int first = device.Handle();
  // The first descriptor still holds the lock: opening beside it would be refused.
  ASSERT_EQ(device.Open(pty.slavePath()), 0);
  EXPECT_TRUE(device.IsOpen());
  if (device.Handle() != first) {
    EXPECT_FALSE(DescriptorOpen(first));
  }
  device.Close();
  EXPECT_FALSE(device.IsOpen());
}

// With both the interval and the multiplier at all bits set, only a constant makes a read
// return with the first bytes; without one the read waits for all it was asked for.
TEST_F(PortOnPty, AllBitsIntervalAndMultiplierWithoutAConstantWaitForEveryByte) {
  port.SetEvents({});
  port.Timeouts().SetReadInterval(-1);
  port.Timeouts().SetReadTotalMultiplier(-1);
  port.Timeouts().SetReadTotalConstant(0);
  port.OpenPort();
  pty.WritePeer("ab");
  char buffer[4];
  auto read = std::async(std::launch::async, [&] { return port.ReceiveBytes(buffer, 4); });
  EXPECT_EQ(read.wait_for(300ms), std::future_status::timeout);
  pty.WritePeer("cd");
  ASSERT_EQ(read.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(read.get(), 4);
  EXPECT_EQ(std::string(buffer, 4), "abcd");

  // With a constant, the first bytes are the answer.
  port.Timeouts().SetReadTotalConstant(2000);
  pty.WritePeer("ef");
  ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 2; }));
  EXPECT_EQ(port.ReceiveBytes(buffer, 4), 2);
}

void Ignore(int) {}

// A signal that interrupts a write waiting for room (a terminal resized, a child ended) is
// no failure: the write goes on.
TEST_F(PortOnPty, ASignalDuringAWriteWaitingForRoomIsNoFailure) {
  struct sigaction action {};
  action.sa_handler = Ignore;  // no SA_RESTART: the wait is interrupted
  struct sigaction before {};
  ASSERT_EQ(::sigaction(SIGUSR1, &action, &before), 0);
  port.Timeouts().SetWriteTotalMultiplier(0);
  port.Timeouts().SetWriteTotalConstant(20);
  port.OpenPort();
  ASSERT_TRUE(FillLine(port));
  port.Timeouts().SetWriteTotalConstant(5000);
  const pthread_t writer = ::pthread_self();
  auto poke = std::async(std::launch::async, [&] {
    for (int i = 0; i < 5; ++i) {
      std::this_thread::sleep_for(20ms);
      ::pthread_kill(writer, SIGUSR1);
    }
    pty.Drain(100ms);  // room again: the write can finish
  });
  EXPECT_NO_THROW(port.SendText("after"));
  poke.get();
  ::sigaction(SIGUSR1, &before, nullptr);
}

// The overlapped-style calls: a request is needed, and a write of no bytes writes nothing.
TEST_F(PortOnPty, WritesNeedARequestAndWriteNoMoreThanAsked) {
  port.OpenPort();
  char buffer[4];
  EXPECT_EQ(Raised([&] { port.StartWrite("x", 1, nullptr); }).messageNumber, 4);
  EXPECT_EQ(Raised([&] { port.StartRead(buffer, 4, nullptr); }).messageNumber, 4);
  EXPECT_EQ(Raised([&] { port.AwaitCompletion(nullptr); }).messageNumber, 4);
  TIoRequest request;
  EXPECT_EQ(port.StartWrite("abc", 0, &request), 0);
  EXPECT_EQ(port.AwaitCompletion(&request), 0);
  TIoRequest negative;
  EXPECT_EQ(port.StartWrite("abc", -2, &negative), 0);
  EXPECT_EQ(port.AwaitCompletion(&negative), 0);
  EXPECT_EQ(pty.Drain(100ms), "");
  // A read starts with nothing read; what arrives comes with the wait for it.
  pty.WritePeer("yz");
  ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 2; }));
  TIoRequest read;
  EXPECT_EQ(port.StartRead(buffer, 4, &read), 0);
  EXPECT_EQ(port.AwaitCompletion(&read), 2);
  EXPECT_EQ(std::string(buffer, 2), "yz");
}

}  // namespace
