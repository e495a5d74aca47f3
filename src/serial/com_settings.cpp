// The port's settings groups: parity, flow control, time-outs and queue sizes.
#include "com_port.h"

namespace {

int EvenSize(int32_t value) {
  return value > 0 && value % 2 != 0 ? value - 1 : value;
}

}  // namespace

template <typename T>
void TComParity::Change(T& field, T value) {
  if (field == value) return;
  field = value;
  if (port_) port_->ApplyLineSettings();
}

void TComParity::SetBits(TParityBits value) {
  Change(bits_, value);
}
void TComParity::SetCheck(bool value) {
  Change(check_, value);
}
void TComParity::SetReplace(bool value) {
  Change(replace_, value);
}
void TComParity::SetReplaceChar(uint8_t value) {
  Change(replaceChar_, value);
}

void TComParity::AssignFields(const TComParity& from) {
  bits_ = from.bits_;
  check_ = from.check_;
  replace_ = from.replace_;
  replaceChar_ = from.replaceChar_;
}

template <typename T>
void TComFlowControl::Change(T& field, T value) {
  if (field == value) return;
  field = value;
  if (port_) port_->ApplyLineSettings();
}

TFlowControl TComFlowControl::FlowControl() const {
  const bool noXonXoff = !xonXoffIn_ && !xonXoffOut_;
  if (controlRTS_ == rtsHandshake && outCTSFlow_ && noXonXoff) return fcHardware;
  if (controlRTS_ == rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_) return fcSoftware;
  if (controlRTS_ == rtsDisable && !outCTSFlow_ && noXonXoff) return fcNone;
  return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
  if (value != fcCustom) {
    controlRTS_ = rtsDisable;
    outCTSFlow_ = false;
    xonXoffIn_ = false;
    xonXoffOut_ = false;
    if (value == fcHardware) {
      controlRTS_ = rtsHandshake;
      outCTSFlow_ = true;
    } else if (value == fcSoftware) {
      xonXoffIn_ = true;
      xonXoffOut_ = true;
    }
  }
  if (port_) port_->ApplyLineSettings();
}

void TComFlowControl::SetOutCTSFlow(bool value) {
  Change(outCTSFlow_, value);
}
void TComFlowControl::SetOutDSRFlow(bool value) {
  Change(outDSRFlow_, value);
}
void TComFlowControl::SetControlDTR(TDTRFlowControl value) {
  Change(controlDTR_, value);
}
void TComFlowControl::SetControlRTS(TRTSFlowControl value) {
  Change(controlRTS_, value);
}
void TComFlowControl::SetXonXoffOut(bool value) {
  Change(xonXoffOut_, value);
}
void TComFlowControl::SetXonXoffIn(bool value) {
  Change(xonXoffIn_, value);
}
void TComFlowControl::SetDSRSensitivity(bool value) {
  Change(dsrSensitivity_, value);
}
void TComFlowControl::SetTxContinueOnXoff(bool value) {
  Change(txContinueOnXoff_, value);
}
void TComFlowControl::SetXonChar(uint8_t value) {
  Change(xonChar_, value);
}
void TComFlowControl::SetXoffChar(uint8_t value) {
  Change(xoffChar_, value);
}

void TComFlowControl::AssignFields(const TComFlowControl& from) {
  outCTSFlow_ = from.outCTSFlow_;
  outDSRFlow_ = from.outDSRFlow_;
  controlDTR_ = from.controlDTR_;
  controlRTS_ = from.controlRTS_;
  xonXoffOut_ = from.xonXoffOut_;
  xonXoffIn_ = from.xonXoffIn_;
  dsrSensitivity_ = from.dsrSensitivity_;
  txContinueOnXoff_ = from.txContinueOnXoff_;
  xonChar_ = from.xonChar_;
  xoffChar_ = from.xoffChar_;
}

void TComTimeouts::Change(int32_t& field, int32_t value) {
  if (field == value) return;
  field = value;
  if (port_) port_->ApplyTimeoutSettings();
}

void TComTimeouts::SetReadInterval(int32_t value) {
  Change(readInterval_, value);
}
void TComTimeouts::SetReadTotalMultiplier(int32_t value) {
  Change(readTotalMultiplier_, value);
}
void TComTimeouts::SetReadTotalConstant(int32_t value) {
  Change(readTotalConstant_, value);
}
void TComTimeouts::SetWriteTotalMultiplier(int32_t value) {
  Change(writeTotalMultiplier_, value);
}
void TComTimeouts::SetWriteTotalConstant(int32_t value) {
  Change(writeTotalConstant_, value);
}

void TComTimeouts::AssignFields(const TComTimeouts& from) {
  readInterval_ = from.readInterval_;
  readTotalMultiplier_ = from.readTotalMultiplier_;
  readTotalConstant_ = from.readTotalConstant_;
  writeTotalMultiplier_ = from.writeTotalMultiplier_;
  writeTotalConstant_ = from.writeTotalConstant_;
}

void TComBuffer::Change(int32_t& field, int32_t value) {
  value = EvenSize(value);
  if (field == value) return;
  field = value;
  if (port_) port_->ApplyBufferSizes();
}

void TComBuffer::SetInputSize(int32_t value) {
  Change(inputSize_, value);
}
void TComBuffer::SetOutputSize(int32_t value) {
  Change(outputSize_, value);
}

void TComBuffer::AssignFields(const TComBuffer& from) {
  inputSize_ = EvenSize(from.inputSize_);
  outputSize_ = EvenSize(from.outputSize_);
}
