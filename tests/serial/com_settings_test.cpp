#include <gtest/gtest.h>

#include "com_device.h"
#include "com_error.h"
#include "com_port.h"
#include "com_types.h"

namespace {

TEST(ComConversions, ParseNamedValuesWithTheirFallbacks) {
  EXPECT_EQ(ParseBaudRate("115200"), br115200);
  EXPECT_EQ(ParseBaudRate("9600"), br9600);
  EXPECT_EQ(ParseBaudRate("256000"), br256000);
  EXPECT_EQ(ParseBaudRate("19200 "), br9600);  // no trimming: the fallback
  EXPECT_EQ(ParseBaudRate(" 19200"), br9600);
  EXPECT_EQ(ParseBaudRate("CUSTOM"), brCustom);
  EXPECT_EQ(ParseBaudRate("cUsToM"), brCustom);
  EXPECT_EQ(ParseStopBits("1.5"), sbOne5StopBits);
  EXPECT_EQ(ParseStopBits("1,5"), sbOneStopBit);
  EXPECT_EQ(ParseStopBits("2"), sbTwoStopBits);
  EXPECT_EQ(ParseDataBits(""), dbEight);
  EXPECT_EQ(ParseDataBits("7"), dbSeven);
  EXPECT_EQ(ParseParity("space"), prSpace);
  EXPECT_EQ(ParseParity("bogus"), prNone);
  EXPECT_EQ(ParseFlowControl("none"), fcNone);
  EXPECT_EQ(ParseFlowControl("HARDWARE"), fcHardware);
  EXPECT_EQ(ParseFlowControl("off"), fcCustom);
}

TEST(ComConversions, NamesRoundTrip) {
  for (int i = brCustom; i <= br256000; ++i) {
    EXPECT_EQ(ParseBaudRate(BaudRateName(static_cast<TBaudRate>(i))), i);
  }
  EXPECT_EQ(BaudRateName(br14400), "14400");
  EXPECT_EQ(StopBitsName(sbOne5StopBits), "1.5");
  EXPECT_EQ(DataBitsName(dbFive), "5");
  EXPECT_EQ(ParityName(prMark), "Mark");
  EXPECT_EQ(FlowControlName(fcNone), "None");
  EXPECT_EQ(BaudRateValue(br128000), 128000);
  // Values past the last one (a settings file of a later version) have no name and no rate.
  const auto beyond = static_cast<TBaudRate>(br256000 + 1);
  EXPECT_EQ(BaudRateName(beyond), "");
  EXPECT_EQ(BaudRateValue(beyond), 0);
  EXPECT_EQ(FlowControlName(static_cast<TFlowControl>(fcCustom + 1)), "");
}

TEST(ComConversions, EventMaskTranslatesMemberByMember) {
  EXPECT_EQ(EventsToMask(kAllComEvents), 0x05FFu);
  EXPECT_EQ(EventsToMask({evTxEmpty}), 0x0004u);
  EXPECT_EQ(EventsToMask({evRLSD, evRing}), 0x0120u);
  EXPECT_EQ(MaskToEvents(0x05FF), kAllComEvents);
  EXPECT_EQ(MaskToEvents(0x0002 | 0x0200 | 0x8000), TComEvents{evRxFlag});  // others ignored
}

TEST(ComPortNames, MapToDevicePaths) {
  EXPECT_EQ(PortDevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(PortDevicePath("com12"), "/dev/ttyS11");
  EXPECT_EQ(PortDevicePath("COM9"), "/dev/ttyS8");  // every digit counts, the ends included
  EXPECT_EQ(PortDevicePath("COM190"), "/dev/ttyS189");
  EXPECT_EQ(PortDevicePath("COM999999"), "/dev/ttyS999998");  // the longest name taken
  EXPECT_EQ(PortDevicePath("COM1000000"), "/dev/COM1000000");
  EXPECT_EQ(PortDevicePath("COM1:"), "/dev/COM1:");
  EXPECT_EQ(PortDevicePath("COM/"), "/dev/COM/");
  EXPECT_EQ(PortDevicePath("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(PortDevicePath("/dev/pts/7"), "/dev/pts/7");
  EXPECT_EQ(PortDevicePath("COM0"), "/dev/COM0");
  EXPECT_EQ(PortDevicePath("COMX"), "/dev/COMX");
  EXPECT_EQ(PortDevicePath(""), "");
}

TEST(ComFlowControl, PresetFollowsTheFields) {
  TComPort port;
  TComFlowControl& flow = port.FlowControl();
  EXPECT_EQ(flow.FlowControl(), fcNone);
  flow.SetFlowControl(fcHardware);
  EXPECT_EQ(flow.FlowControl(), fcHardware);
  EXPECT_EQ(flow.ControlRTS(), rtsHandshake);
  EXPECT_TRUE(flow.OutCTSFlow());
  flow.SetControlDTR(dtrHandshake);  // DTR plays no part in the preset
  EXPECT_EQ(flow.FlowControl(), fcHardware);
  flow.SetOutCTSFlow(false);  // the RTS handshake alone is no preset
  EXPECT_EQ(flow.FlowControl(), fcCustom);
  flow.SetControlRTS(rtsDisable);
  flow.SetOutCTSFlow(true);  // nor is the CTS flow alone
  EXPECT_EQ(flow.FlowControl(), fcCustom);

  flow.SetFlowControl(fcSoftware);
  EXPECT_EQ(flow.FlowControl(), fcSoftware);
  EXPECT_FALSE(flow.OutCTSFlow());
  EXPECT_EQ(flow.ControlRTS(), rtsDisable);

  flow.SetXonXoffIn(false);
  EXPECT_EQ(flow.FlowControl(), fcCustom);
  flow.SetFlowControl(fcCustom);  // changes no field
  EXPECT_TRUE(flow.XonXoffOut());
  EXPECT_FALSE(flow.XonXoffIn());
  flow.SetFlowControl(fcNone);
  EXPECT_EQ(flow.FlowControl(), fcNone);
  EXPECT_EQ(flow.ControlDTR(), dtrHandshake);
}

TEST(ComBuffer, OddPositiveSizesAreStoredOneLower) {
  TComPort port;
  port.Buffer().SetOutputSize(181);
  EXPECT_EQ(port.Buffer().OutputSize(), 180);
  port.Buffer().SetOutputSize(-3);
  EXPECT_EQ(port.Buffer().OutputSize(), -3);
  port.Buffer().SetInputSize(1025);
  EXPECT_EQ(port.Buffer().InputSize(), 1024);

  TComBuffer sizes;
  sizes.SetInputSize(4097);
  sizes.SetOutputSize(64);
  port.SetBuffer(sizes);
  EXPECT_EQ(port.Buffer().InputSize(), 4096);
  EXPECT_EQ(port.Buffer().OutputSize(), 64);
}

// The program sets only some of the port's settings and relies on the rest keeping these.
TEST(ComPortDefaults, AreTheComponentsOwn) {
  TComPort port;
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.StopBits(), sbOneStopBit);
  EXPECT_EQ(port.DataBits(), dbEight);
  EXPECT_FALSE(port.DiscardNull());
  EXPECT_EQ(port.EventChar(), 0);
  EXPECT_EQ(port.Events(), kAllComEvents);
  EXPECT_EQ(port.SyncMethod(), smThreadSync);
  EXPECT_EQ(port.CustomRate(), 9600);
  EXPECT_TRUE(port.RxCharLeavesInput());

  const TComParity& parity = port.Parity();
  EXPECT_EQ(parity.Bits(), prNone);
  EXPECT_FALSE(parity.Check());
  EXPECT_FALSE(parity.Replace());
  EXPECT_EQ(parity.ReplaceChar(), 0);

  const TComFlowControl& flow = port.FlowControl();
  EXPECT_FALSE(flow.OutCTSFlow());
  EXPECT_FALSE(flow.OutDSRFlow());
  EXPECT_EQ(flow.ControlDTR(), dtrDisable);
  EXPECT_EQ(flow.ControlRTS(), rtsDisable);
  EXPECT_FALSE(flow.XonXoffOut());
  EXPECT_FALSE(flow.XonXoffIn());
  EXPECT_FALSE(flow.DSRSensitivity());
  EXPECT_FALSE(flow.TxContinueOnXoff());
  EXPECT_EQ(flow.XonChar(), 17);
  EXPECT_EQ(flow.XoffChar(), 19);

  const TComTimeouts& timeouts = port.Timeouts();
  EXPECT_EQ(timeouts.ReadInterval(), -1);
  EXPECT_EQ(timeouts.ReadTotalMultiplier(), 0);
  EXPECT_EQ(timeouts.ReadTotalConstant(), 0);
  EXPECT_EQ(timeouts.WriteTotalMultiplier(), 100);
  EXPECT_EQ(timeouts.WriteTotalConstant(), 1000);

  EXPECT_EQ(port.Buffer().InputSize(), 1024);
  EXPECT_EQ(port.Buffer().OutputSize(), 1024);
  EXPECT_EQ(port.EventThread(), nullptr);
  EXPECT_TRUE(port.Links().empty());
}

TEST(ComLineRecord, CarriesTheSettings) {
  TComPort port;
  TDcb d = port.LineSettingsRecord();
  EXPECT_EQ(d.DCBlength, 28u);
  EXPECT_EQ(d.BaudRate, 9600u);
  EXPECT_EQ(d.Flags, dcb::fBinary);
  EXPECT_EQ(d.XonLim, 256);
  EXPECT_EQ(d.XoffLim, 256);
  EXPECT_EQ(d.ByteSize, 8);
  EXPECT_EQ(d.XonChar, 17);
  EXPECT_EQ(d.XoffChar, 19);

  // Replacement only together with checking.
  port.Parity().SetReplace(true);
  port.Parity().SetReplaceChar('?');
  d = port.LineSettingsRecord();
  EXPECT_EQ(d.Flags & (dcb::fErrorChar | dcb::fParity), 0u);
  EXPECT_EQ(d.ErrorChar, 0);
  port.Parity().SetCheck(true);
  d = port.LineSettingsRecord();
  EXPECT_EQ(d.Flags & (dcb::fErrorChar | dcb::fParity), dcb::fErrorChar | dcb::fParity);
  EXPECT_EQ(d.ErrorChar, '?');

  port.SetBaudRate(brCustom);
  EXPECT_EQ(port.LineSettingsRecord().BaudRate, 9600u);  // customRate until changed
  port.SetCustomRate(31250);
  port.FlowControl().SetControlRTS(rtsToggle);
  port.FlowControl().SetControlDTR(dtrEnable);
  port.SetDiscardNull(true);
  port.SetStopBits(sbTwoStopBits);
  port.SetDataBits(dbSeven);
  port.Parity().SetBits(prSpace);
  port.FlowControl().SetTxContinueOnXoff(true);
  port.FlowControl().SetDSRSensitivity(true);
  d = port.LineSettingsRecord();
  EXPECT_TRUE(d.Flags & dcb::fTXContinueOnXoff);
  EXPECT_TRUE(d.Flags & dcb::fDsrSensitivity);
  EXPECT_EQ(d.BaudRate, 31250u);
  EXPECT_EQ(d.Flags & dcb::fRtsControlMask, 0x3000u);
  EXPECT_EQ(d.Flags & dcb::fDtrControlMask, 0x0010u);
  EXPECT_TRUE(d.Flags & dcb::fNull);
  EXPECT_EQ(d.StopBits, 2);
  EXPECT_EQ(d.ByteSize, 7);
  EXPECT_EQ(d.Parity, 4);
}

TEST(ComLineErrors, ParityCountsOnlyWhileChecked) {
  const TLineCounters before;
  TLineCounters now;
  now.parity = 1;
  now.frame = 2;
  EXPECT_EQ(LineErrorsBetween(before, now, false), TComErrors{errFrame});
  EXPECT_EQ(LineErrorsBetween(before, now, true), (TComErrors{errFrame, errRxParity}));
  now = {};
  now.overrun = 1;
  now.brk = 1;
  now.bufOverrun = 3;
  EXPECT_EQ(LineErrorsBetween(before, now, true), (TComErrors{errOverrun, errBreak, errRxOver}));
  EXPECT_TRUE(LineErrorsBetween(now, now, true).Empty());
}

TEST(ComLinks, AttachingTwiceOrDetachingAnAbsentLinkFails) {
  TComPort port;
  TComLink link;
  port.AttachLink(&link);
  try {
    port.AttachLink(&link);
    FAIL() << "attached twice";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.messageNumber, 18);
  }
  port.DetachLink(&link);
  try {
    port.DetachLink(&link);
    FAIL() << "detached an absent link";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.messageNumber, 18);
  }
}

TEST(ComLinks, NotifyEveryLinkInOrderSkippingEmptyCallbacks) {
  TComPort port;
  std::string calls;
  TComLink first;
  TComLink second;
  TComLink silent;
  first.txActive = [&](TCustomComPort* sender, bool on) {
    EXPECT_EQ(sender, &port);
    calls += on ? "1+" : "1-";
  };
  second.txActive = [&](TCustomComPort*, bool on) { calls += on ? "2+" : "2-"; };
  second.ringSeen = [&](TCustomComPort*) { calls += "R"; };
  first.txData = [&](TCustomComPort*, const char* buffer, int count) {
    calls += std::string(buffer, static_cast<size_t>(count));
  };
  port.AttachLink(&first);
  port.AttachLink(&silent);
  port.AttachLink(&second);
  port.LinkStateChanged(clTx, true);
  port.LinkStateChanged(clRx, true);  // nobody listens
  port.LinkNotify(cnRing);
  port.LinkTxData("ab", 2);
  port.LinkStateChanged(clTx, false);
  EXPECT_EQ(calls, "1+2+Rab1-2-");
}

TEST(ComLinks, ACallbackMayDetachALaterLink) {
  TComPort port;
  TComLink first;
  TComLink second;
  int secondCalls = 0;
  first.connChanged = [&](TCustomComPort* sender, bool) { sender->DetachLink(&second); };
  second.connChanged = [&](TCustomComPort*, bool) { ++secondCalls; };
  port.AttachLink(&first);
  port.AttachLink(&second);
  port.LinkStateChanged(clConn, true);
  EXPECT_EQ(secondCalls, 0);
}

}  // namespace
