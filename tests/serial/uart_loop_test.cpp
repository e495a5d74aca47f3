// The port on a real UART in loopback, through its own API: settings as the driver keeps
// them, bytes out and back in, modem lines and breaks with their events and lamps.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "com_led.h"
#include "com_port.h"
#include "com_thread.h"
#include "port_fixture.h"
#include "servo_state.h"
#include "stdin_closed.h"
#include "uart_loop.h"

namespace {

using namespace std::chrono_literals;

// A lamp on the port showing one signal.
std::unique_ptr<TComLed> Lamp(TComPort& port, TComLedSignal signal) {
  auto lamp = std::make_unique<TComLed>();
  lamp->SetLedSignal(signal);
  lamp->SetComPort(&port);
  return lamp;
}

// Levels a signal handler was given, and whether each ran on the calling thread.
struct Levels {
  std::vector<bool> seen;
  bool offThread = false;
  TComSignalEvent Handler() {
    const auto mainThread = std::this_thread::get_id();
    return [this, mainThread](TCustomComPort*, bool on) {
      if (std::this_thread::get_id() != mainThread) offThread = true;
      seen.push_back(on);
    };
  }
};

class UartPort : public UartLoop {};

TEST_F(UartPort, SettingsReachTheDriver) {
  port.OpenPort();
  // A UART keeps line counters, which a pseudo-terminal lacks: the port reads the same ones.
  TLineCounters counters;
  bool hasCounters = false;
  ASSERT_EQ(port.Device().Counters(&counters, &hasCounters), 0);
  EXPECT_TRUE(hasCounters);
  EXPECT_EQ(counters.brk, Counters().brk);
  EXPECT_EQ(counters.cts, Counters().cts);
  const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  for (int bits = dbFive; bits <= dbEight; ++bits) {
    port.SetDataBits(static_cast<TDataBits>(bits));
    EXPECT_EQ(Settings().c_cflag & CSIZE, sizes[bits]) << DataBitsName(port.DataBits());
  }
  struct Scheme {
    TParityBits bits;
    tcflag_t flags;
  };
  const Scheme schemes[] = {{prNone, 0},
                            {prOdd, PARENB | PARODD},
                            {prEven, PARENB},
                            {prMark, PARENB | PARODD | CMSPAR},
                            {prSpace, PARENB | CMSPAR}};
  for (const Scheme& scheme : schemes) {
    port.Parity().SetBits(scheme.bits);
    EXPECT_EQ(Settings().c_cflag & (PARENB | PARODD | CMSPAR), scheme.flags)
        << ParityName(scheme.bits);
  }
  port.Parity().SetBits(prNone);

  port.SetStopBits(sbTwoStopBits);
  EXPECT_TRUE(Settings().c_cflag & CSTOPB);
  port.SetStopBits(sbOneStopBit);
  EXPECT_FALSE(Settings().c_cflag & CSTOPB);
  port.SetDataBits(dbFive);
  port.SetStopBits(sbOne5StopBits);  // the line's "two" with five data bits
  EXPECT_TRUE(Settings().c_cflag & CSTOPB);
  port.SetStopBits(sbOneStopBit);
  port.SetDataBits(dbEight);

  port.SetBaudRate(br115200);
  termios t = Settings();
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B115200));
  EXPECT_EQ(Rate(), 115200u);
  port.SetCustomRate(31250);
  port.SetBaudRate(brCustom);
  EXPECT_EQ(Rate(), 31250u);
  port.SetCustomRate(7200);
  EXPECT_EQ(Rate(), 7200u);

  // The settings of a closed port wait for the next open.
  port.ClosePort();
  port.SetBaudRate(br2400);
  port.SetDataBits(dbSeven);
  port.Parity().SetBits(prEven);
  EXPECT_EQ(Rate(), 7200u);
  port.OpenPort();
  t = Settings();
  EXPECT_EQ(Rate(), 2400u);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
  EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB));
}

TEST_F(UartPort, TheFramesOfATickComeBackUnchanged) {
  ServoState state;
  ServoTables tables;
  for (int servo = 1; servo <= kServoCount; ++servo) {
    tables.Address[servo] = servo;
    tables.Maxval[servo] = 254;
    state.position[servo] = 20 * servo + 7;
    state.direction[servo] = servo % 2 ? 1 : -1;
  }
  state.position[6] = 255;  // 0xFF inside a frame is a byte like any other
  const ByteString frames = BuildTickFrames(state, tables, {});
  ASSERT_EQ(frames.size(), 24u);

  std::string received;
  port.SetRxCharLeavesInput(false);
  port.OnRxBuf = [&](TCustomComPort*, const char* buffer, int count) {
    received.append(buffer, static_cast<size_t>(count));
  };
  port.SetBaudRate(br115200);
  port.OpenPort();
  EXPECT_EQ(port.SendText(frames), 24);
  EXPECT_TRUE(WaitUntil([&] { return received.size() >= frames.size(); }));
  EXPECT_EQ(received, frames);
}

TEST_F(UartPort, UnreadBytesAreCountedOnTheMainThreadAndLightTheReceiveLamp) {
  const auto mainThread = std::this_thread::get_id();
  std::vector<int> counts;
  bool offThread = false;
  port.OnRxChar = [&](TCustomComPort*, int count) {
    if (std::this_thread::get_id() != mainThread) offThread = true;
    counts.push_back(count);
  };
  const auto rxLamp = Lamp(port, lsRx);
  port.OpenPort();
  ASSERT_EQ(rxLamp->State(), lsOff);
  const ByteString text = "twenty-four bytes, sent.";
  ASSERT_EQ(text.size(), 24u);
  EXPECT_EQ(port.SendText(text), 24);
  // Nothing reads them: they stay, and each count says how many are waiting.
  ASSERT_TRUE(WaitUntil([&] { return !counts.empty() && counts.back() == 24; }));
  EXPECT_EQ(port.PendingInputCount(), 24);
  EXPECT_FALSE(offThread);
  EXPECT_EQ(rxLamp->State(), lsOn);
  port.ClosePort();
  rxLamp->SetComPort(nullptr);
}

TEST_F(UartPort, ReadBytesReachOnRxBufWithTheirCount) {
  const auto mainThread = std::this_thread::get_id();
  std::string received;
  int counted = 0, rxChars = 0;
  bool offThread = false;
  port.SetRxCharLeavesInput(false);
  port.OnRxBuf = [&](TCustomComPort*, const char* buffer, int count) {
    if (std::this_thread::get_id() != mainThread) offThread = true;
    received.append(buffer, static_cast<size_t>(count));
    counted += count;
  };
  port.OnRxChar = [&](TCustomComPort*, int) { ++rxChars; };
  port.OpenPort();
  const ByteString text(
      "\x00\x01\xFE\xFF"
      "abcdefghijklmnopqrst",
      24);
  EXPECT_EQ(port.SendText(text), 24);
  ASSERT_TRUE(WaitUntil([&] { return received.size() >= 24; }));
  EXPECT_EQ(received, text);
  EXPECT_EQ(counted, 24);
  EXPECT_EQ(rxChars, 0);  // read bytes are not counted again
  EXPECT_FALSE(offThread);
  EXPECT_EQ(port.PendingInputCount(), 0);
}

TEST_F(UartPort, RtsAndDtrDriveCtsAndDsrWithOneEventPerChange) {
  Levels cts, dsr;
  const auto ctsLamp = Lamp(port, lsCTS);
  const auto dsrLamp = Lamp(port, lsDSR);
  port.OpenPort();
  // Held off by the program's settings: both inputs are off.
  ASSERT_FALSE(port.ModemLines().Has(sigCTS));
  ASSERT_FALSE(port.ModemLines().Has(sigDSR));
  port.OnCTSChange = cts.Handler();
  port.OnDSRChange = dsr.Handler();

  port.FlowControl().SetControlRTS(rtsEnable);
  ASSERT_TRUE(WaitUntil([&] { return cts.seen.size() == 1; }));
  EXPECT_TRUE(cts.seen[0]);
  EXPECT_EQ(ctsLamp->State(), lsOn);
  port.FlowControl().SetControlRTS(rtsDisable);
  ASSERT_TRUE(WaitUntil([&] { return cts.seen.size() == 2; }));
  EXPECT_FALSE(cts.seen[1]);
  EXPECT_EQ(ctsLamp->State(), lsOff);

  port.FlowControl().SetControlDTR(dtrEnable);
  ASSERT_TRUE(WaitUntil([&] { return dsr.seen.size() == 1; }));
  EXPECT_TRUE(dsr.seen[0]);
  EXPECT_EQ(dsrLamp->State(), lsOn);
  port.FlowControl().SetControlDTR(dtrDisable);
  ASSERT_TRUE(WaitUntil([&] { return dsr.seen.size() == 2; }));
  EXPECT_FALSE(dsr.seen[1]);
  EXPECT_EQ(dsrLamp->State(), lsOff);

  PumpFor(100ms);
  EXPECT_EQ(cts.seen.size(), 2u);
  EXPECT_EQ(dsr.seen.size(), 2u);
  EXPECT_FALSE(cts.offThread || dsr.offThread);
  ClearHandlers(port);
  port.ClosePort();
  ctsLamp->SetComPort(nullptr);
  dsrLamp->SetComPort(nullptr);
}

// Under the RTS toggle, RTS (and so, in loopback, CTS) is up while bytes go out and down once
// they are out.
TEST_F(UartPort, RtsToggleRaisesRtsForTheWriteOnly) {
  port.SetEvents({});
  port.FlowControl().SetControlRTS(rtsToggle);
  const auto writeOnce = [&] {
    ASSERT_FALSE(port.ModemLines().Has(sigCTS));
    std::atomic<bool> writing{true}, sampling{false}, seenUp{false};
    std::thread sampler([&] {
      while (writing) {
        if (ModemBits() & TIOCM_CTS) seenUp = true;
        sampling = true;
      }
    });
    // A thread can be slow to start (under the sanitizers, say): the write must not be over
    // before anyone looks.
    while (!sampling) std::this_thread::yield();
    EXPECT_EQ(port.SendText(std::string(960, 'r')), 960);  // about a second at 9600 baud
    writing = false;
    sampler.join();
    EXPECT_TRUE(seenUp);
    EXPECT_FALSE(port.ModemLines().Has(sigCTS));
  };
  port.OpenPort();
  writeOnce();
  port.ClosePort();

  // The same on descriptor 0, which a program started without standard input gets.
  StdinClosed closed;
  port.OpenPort();
  ASSERT_EQ(port.Device().Handle(), 0);
  EXPECT_TRUE(port.Device().InLoopback());
  writeOnce();
  port.ClosePort();
}

TEST_F(UartPort, Out1RingsOnceAndOut2DrivesTheCarrier) {
  int rings = 0;
  Levels carrier;
  const auto ringLamp = Lamp(port, lsRing);
  ringLamp->SetRingDuration(60000);  // lit for the whole test once rung
  const auto carrierLamp = Lamp(port, lsRLSD);
  SetOutputs(kOut1, false);
  SetOutputs(kOut2, true);
  port.OpenPort();
  ASSERT_TRUE(port.ModemLines().Has(sigRLSD));
  EXPECT_EQ(carrierLamp->State(), lsOn);
  port.OnRing = [&](TCustomComPort*) { ++rings; };
  port.OnRLSDChange = carrier.Handler();

  // One ring: RI comes on and goes off again. Where the lines are sampled the ring shows as
  // RI comes on, so it stays on until then; where the driver counts rings they end with RI.
  SetOutputs(kOut1, true);
  WaitUntil([&] { return rings == 1; }, 1s);
  SetOutputs(kOut1, false);
  ASSERT_TRUE(WaitUntil([&] { return rings == 1; }));
  EXPECT_EQ(ringLamp->State(), lsOn);

  SetOutputs(kOut2, false);
  ASSERT_TRUE(WaitUntil([&] { return carrier.seen.size() == 1; }));
  EXPECT_FALSE(carrier.seen[0]);
  EXPECT_EQ(carrierLamp->State(), lsOff);
  SetOutputs(kOut2, true);
  ASSERT_TRUE(WaitUntil([&] { return carrier.seen.size() == 2; }));
  EXPECT_TRUE(carrier.seen[1]);
  EXPECT_EQ(carrierLamp->State(), lsOn);

  PumpFor(100ms);
  EXPECT_EQ(rings, 1);
  EXPECT_EQ(carrier.seen.size(), 2u);
  EXPECT_FALSE(carrier.offThread);
  ClearHandlers(port);
  port.ClosePort();
  ringLamp->SetComPort(nullptr);
  carrierLamp->SetComPort(nullptr);
}

TEST_F(UartPort, ABreakInLoopbackRaisesEvBreakOnce) {
  int breaks = 0;
  std::vector<TComErrors> errors;
  port.OnBreak = [&](TCustomComPort*) { ++breaks; };
  port.OnError = [&](TCustomComPort*, TComErrors e) { errors.push_back(e); };
  port.OpenPort();
  const TLineCounters before = Counters();
  Break(50ms);
  std::this_thread::sleep_for(50ms);
  if (Counters().brk == before.brk) {
    GTEST_SKIP() << "this UART does not loop a break back (its break count stays " << before.brk
                 << ")";
  }
  ASSERT_TRUE(WaitUntil([&] { return breaks == 1; }));
  PumpFor(100ms);
  EXPECT_EQ(breaks, 1);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].Has(errBreak));
}

// Outside loopback nothing on this line moves the modem inputs: the port must wait for a change
// without sampling, and still close at once and take new settings while it waits.
TEST_F(UartPort, OutsideLoopbackTheLinesAreWaitedForNotSampled) {
  SetLoopback(false);
  port.OpenPort();
  ASSERT_NE(port.EventThread(), nullptr);
  EXPECT_EQ(port.EventThread()->LineWatch(), TComThread::lwWait);
  port.SetBaudRate(br19200);
  EXPECT_EQ(Rate(), 19200u);
  EXPECT_EQ(port.EventThread()->LineWatch(), TComThread::lwWait);
  port.ClosePort();
  EXPECT_EQ(port.EventThread(), nullptr);
}

}  // namespace
