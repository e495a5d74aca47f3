#include "servo_link.h"

#include <algorithm>

#include "com_send.h"
#include "int_parse.h"

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

ServoLineRate ParseServoLineRate(const std::string& text) {
  constexpr int64_t kFastestRate = 4000000;
  const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; });
  const auto value = digits ? ParseInteger(text, IntSyntax::Settings) : std::nullopt;
  if (!value || *value <= 0 || *value > kFastestRate) return {ParseBaudRate(text), 0};
  for (int r = br110; r <= br256000; ++r) {
    if (BaudRateValue(static_cast<TBaudRate>(r)) == *value) return {static_cast<TBaudRate>(r), 0};
  }
  return {brCustom, static_cast<int32_t>(*value)};
}

void ConnectServoPort(TCustomComPort& port, const ServoLineSettings& line) {
  if (port.Connected()) port.SetConnected(false);
  port.SetPort(line.port);
  const ServoLineRate rate = ParseServoLineRate(line.baudRate);
  if (rate.custom > 0) port.SetCustomRate(rate.custom);
  port.SetBaudRate(rate.rate);
  port.Parity().SetCheck(static_cast<uint8_t>(line.parityCheck) != 0);
  port.SetStopBits(ParseStopBits(line.stopBits));
  port.SetDataBits(ParseDataBits(line.dataBits));
  port.FlowControl().SetFlowControl(fcNone);
  port.SetConnected(true);
}

LineFormat ServoLineFormat(const ServoLineSettings& line) {
  LineFormat format;
  const ServoLineRate rate = ParseServoLineRate(line.baudRate);
  format.baud =
      rate.rate == brCustom ? (rate.custom > 0 ? rate.custom : 9600) : BaudRateValue(rate.rate);
  format.dataBits = 5 + static_cast<int>(ParseDataBits(line.dataBits));
  format.parity = false;
  const TStopBits stop = ParseStopBits(line.stopBits);
  format.stopHalfBits = stop == sbOneStopBit ? 2 : stop == sbOne5StopBits ? 3 : 4;
  return format;
}

void WriteServoFrames(TCustomComPort& port, ServoState& state, const ByteString& frames,
                      ScheduleClock& clock, const BoardLine& board) {
  const ByteString bytes = board.Encode(frames);
  if (bytes.empty()) return;
  state.txEmpty = false;
  SendAllText(port, bytes);
  clock.SleepFor(kPauseAfterWrite);
}

void WriteServoFrames(TCustomComPort& port, ServoState& state, const ByteString& frames,
                      ScheduleClock& clock) {
  static const BoardLine ownFrames;
  WriteServoFrames(port, state, frames, clock, ownFrames);
}
