#include "servo_link.h"

#include "com_send.h"

void PlaceServoPort(TCustomComPort& port) {
  port.SetPort("COM1");
  port.SetBaudRate(br9600);
  port.Parity().SetBits(prNone);
  port.SetStopBits(sbOneStopBit);
  port.SetDataBits(dbEight);
  port.SetEvents(kAllComEvents);
  port.Buffer().SetOutputSize(180);
  port.FlowControl().SetOutCTSFlow(false);
  port.FlowControl().SetOutDSRFlow(false);
  port.FlowControl().SetControlDTR(dtrDisable);
  port.FlowControl().SetControlRTS(rtsDisable);
  port.FlowControl().SetXonXoffOut(false);
  port.FlowControl().SetXonXoffIn(false);
  port.Timeouts().SetWriteTotalMultiplier(500);
  port.Timeouts().SetReadTotalMultiplier(5);
  port.Timeouts().SetReadTotalConstant(10);
}

void ConnectServoPort(TCustomComPort& port, const ServoLineSettings& line) {
  if (port.Connected()) port.SetConnected(false);
  port.SetPort(line.port);
  port.SetBaudRate(ParseBaudRate(line.baudRate));
  port.Parity().SetCheck(static_cast<uint8_t>(line.parityCheck) != 0);
  port.SetStopBits(ParseStopBits(line.stopBits));
  port.SetDataBits(ParseDataBits(line.dataBits));
  port.FlowControl().SetFlowControl(fcNone);
  port.SetConnected(true);
}

LineFormat ServoLineFormat(const ServoLineSettings& line) {
  LineFormat format;
  format.baud = BaudRateValue(ParseBaudRate(line.baudRate));
  format.dataBits = 5 + static_cast<int>(ParseDataBits(line.dataBits));
  format.parity = false;
  const TStopBits stop = ParseStopBits(line.stopBits);
  format.stopHalfBits = stop == sbOneStopBit ? 2 : stop == sbOne5StopBits ? 3 : 4;
  return format;
}

void WriteServoFrames(TCustomComPort& port, ServoState& state, const ByteString& frames,
                      ScheduleClock& clock) {
  if (frames.empty()) return;
  state.txEmpty = false;
  SendAllText(port, frames);
  clock.SleepFor(kPauseAfterWrite);
}
