#include "com_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include "com_error.h"
#include "com_thread.h"
#include "error_report.h"
#include "main_thread_queue.h"
#include "virtual_controller.h"

namespace {

// How long ClosePort waits at a time for the event thread before serving its calls again.
constexpr std::chrono::milliseconds kCloseWaitStep{5};

int EvenSize(int32_t value) {
  return value > 0 && value % 2 != 0 ? value - 1 : value;
}

}  // namespace

// ---- settings sub-objects ----

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

// ---- free functions ----

std::unique_ptr<TIoRequest> NewIoRequest() {
  return std::make_unique<TIoRequest>();
}

TComErrors LineErrorsBetween(const TLineCounters& before, const TLineCounters& now,
                             bool checkParity) {
  TComErrors errors;
  if (now.frame != before.frame) errors.Add(errFrame);
  if (checkParity && now.parity != before.parity) errors.Add(errRxParity);
  if (now.overrun != before.overrun) errors.Add(errOverrun);
  if (now.brk != before.brk) errors.Add(errBreak);
  if (now.bufOverrun != before.bufOverrun) errors.Add(errRxOver);
  return errors;
}

// ---- the port ----

TCustomComPort::TCustomComPort()
    : parity_(std::make_unique<TComParity>(this)),
      buffer_(std::make_unique<TComBuffer>(this)),
      flowControl_(std::make_unique<TComFlowControl>(this)),
      timeouts_(std::make_unique<TComTimeouts>(this)),
      calls_(std::make_unique<TMainThreadQueue>()) {}

TCustomComPort::~TCustomComPort() {
  try {
    ClosePort();
  } catch (const std::exception& e) {
    ReportError(e.what());
  }
  // Even when closing failed, no thread may outlive the port and the device goes with it.
  StopEventThread();
  device_.Close();
  connected_ = false;
  parity_.reset();
  buffer_.reset();
  flowControl_.reset();
  timeouts_.reset();
  const auto clients = freeNotifications_;
  for (const auto& [client, removed] : clients) {
    if (removed) removed(this);
  }
  freeNotifications_.clear();
  links_.clear();
}

void TCustomComPort::SetConnected(bool value) {
  if (loading_) {
    connected_ = value;
    return;
  }
  if (value) {
    OpenPort();
  } else {
    ClosePort();
  }
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
  if (baudRate_ == value) return;
  baudRate_ = value;
  ApplyLineSettings();
}

void TCustomComPort::SetCustomRate(int32_t value) {
  if (customRate_ == value) return;
  customRate_ = value;
  ApplyLineSettings();
}

void TCustomComPort::SetPort(const std::string& value) {
  if (port_ == value) return;
  port_ = value;
  if (ApplyNow()) {
    ClosePort();
    OpenPort();
  }
}

void TCustomComPort::SetParity(const TComParity& value) {
  parity_->AssignFields(value);
  ApplyLineSettings();
}

void TCustomComPort::SetStopBits(TStopBits value) {
  if (stopBits_ == value) return;
  stopBits_ = value;
  ApplyLineSettings();
}

void TCustomComPort::SetDataBits(TDataBits value) {
  if (dataBits_ == value) return;
  dataBits_ = value;
  ApplyLineSettings();
}

void TCustomComPort::SetDiscardNull(bool value) {
  if (discardNull_ == value) return;
  discardNull_ = value;
  ApplyLineSettings();
}

void TCustomComPort::SetEventChar(uint8_t value) {
  if (eventChar_ == value) return;
  eventChar_ = value;
  ApplyLineSettings();
}

void TCustomComPort::SetEvents(TComEvents value) {
  events_ = value;
}

void TCustomComPort::SetBuffer(const TComBuffer& value) {
  buffer_->AssignFields(value);
  ApplyBufferSizes();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& value) {
  flowControl_->AssignFields(value);
  ApplyLineSettings();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& value) {
  timeouts_->AssignFields(value);
  ApplyTimeoutSettings();
}

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
  if (syncMethod_ == value) return;
  if (ApplyNow()) throw EComPort(14);
  syncMethod_ = value;
}

void TCustomComPort::Loaded() {
  loading_ = false;
  if (!connected_) return;
  connected_ = false;
  try {
    OpenPort();
  } catch (const std::exception& e) {
    ReportError(e.what());
  }
}

void TCustomComPort::FreeNotification(const void* client,
                                      std::function<void(TCustomComPort*)> removed) {
  RemoveFreeNotification(client);
  freeNotifications_.emplace_back(client, std::move(removed));
}

void TCustomComPort::RemoveFreeNotification(const void* client) {
  std::erase_if(freeNotifications_, [client](const auto& entry) { return entry.first == client; });
}

// ---- open and close ----

void TCustomComPort::OpenDevice() {
  std::string path = PortDevicePath(port_);
  if (IsVirtualPortName(port_)) {
    // The virtual controller listens on a fresh pseudo-terminal; the port opens its other
    // end like any device.
    const int error = TVirtualServoController::Instance().Start(&path);
    if (error != 0) throw EComPort(1, error);
    virtualController_ = true;
  }
  const int error = device_.Open(path);
  if (error != 0) {
    StopVirtualController();
    throw EComPort(1, error);
  }
  errorBaseline_ = {};
  bool hasCounters = false;
  device_.Counters(&errorBaseline_, &hasCounters);
  rxCarry_.clear();
  rxFlagSeen_ = false;
}

void TCustomComPort::CloseDevice() {
  device_.Close();
  StopVirtualController();
}

void TCustomComPort::StopVirtualController() {
  if (!virtualController_) return;
  TVirtualServoController::Instance().Stop();
  virtualController_ = false;
}

void TCustomComPort::ApplyAllSettings() {
  ApplyBufferSizes();
  ApplyLineSettings();
  ApplyTimeoutSettings();
}

void TCustomComPort::OpenPort() {
  if (connected_) return;
  DoBeforeOpen();
  OpenDevice();
  connected_ = true;
  try {
    ApplyAllSettings();
  } catch (...) {
    CloseDevice();
    connected_ = false;
    throw;
  }
  if (events_.Empty()) {
    threadRunning_ = false;
  } else {
    eventThread_ = std::make_unique<TComThread>(*this);
    threadRunning_ = true;
  }
  LinkStateChanged(clConn, true);
  DoAfterOpen();
  SignalStep(sigCTS, clCTS, &TCustomComPort::DoCTSChange);
  SignalStep(sigDSR, clDSR, &TCustomComPort::DoDSRChange);
  SignalStep(sigRLSD, clRLSD, &TCustomComPort::DoRLSDChange);
}

void TCustomComPort::ClosePort() {
  if (!connected_) return;
  LinkStateChanged(clCTS, false);
  LinkStateChanged(clDSR, false);
  LinkStateChanged(clRLSD, false);
  DoCTSChange(false);
  DoDSRChange(false);
  DoRLSDChange(false);
  DoBeforeClose();
  // A handler above may have closed the port already.
  if (!connected_) return;
  CancelPendingIo();
  StopEventThread();
  CloseDevice();
  connected_ = false;
  LinkStateChanged(clConn, false);
  DoAfterClose();
}

void TCustomComPort::StopEventThread() {
  if (!eventThread_) return;
  eventThread_->StopEventLoop();
  // Keep serving the thread's calls: a dispatch in flight must finish for it to end.
  while (!eventThread_->Finished()) calls_->ServeFor(kCloseWaitStep);
  eventThread_.reset();
  threadRunning_ = false;
}

TDcb TCustomComPort::LineSettingsRecord() const {
  const TComFlowControl& flow = *flowControl_;
  const TComParity& parity = *parity_;
  const bool replace = parity.Check() && parity.Replace();
  TDcb d;
  d.BaudRate =
      static_cast<uint32_t>(baudRate_ == brCustom ? customRate_ : BaudRateValue(baudRate_));
  d.Flags = dcb::fBinary;
  if (parity.Check()) d.Flags |= dcb::fParity;
  if (flow.OutCTSFlow()) d.Flags |= dcb::fOutxCtsFlow;
  if (flow.OutDSRFlow()) d.Flags |= dcb::fOutxDsrFlow;
  d.Flags |= static_cast<uint32_t>(flow.ControlDTR()) << dcb::fDtrControlShift;
  if (flow.DSRSensitivity()) d.Flags |= dcb::fDsrSensitivity;
  if (flow.TxContinueOnXoff()) d.Flags |= dcb::fTXContinueOnXoff;
  if (flow.XonXoffOut()) d.Flags |= dcb::fOutX;
  if (flow.XonXoffIn()) d.Flags |= dcb::fInX;
  if (replace) d.Flags |= dcb::fErrorChar;
  if (discardNull_) d.Flags |= dcb::fNull;
  d.Flags |= static_cast<uint32_t>(flow.ControlRTS()) << dcb::fRtsControlShift;
  const int32_t limit = buffer_->InputSize() / 4;
  d.XonLim = static_cast<uint16_t>(limit);
  d.XoffLim = static_cast<uint16_t>(limit);
  d.ByteSize = static_cast<uint8_t>(5 + static_cast<int>(dataBits_));
  d.Parity = static_cast<uint8_t>(parity.Bits());
  d.StopBits = static_cast<uint8_t>(stopBits_);
  d.XonChar = flow.XonChar();
  d.XoffChar = flow.XoffChar();
  d.ErrorChar = replace ? parity.ReplaceChar() : 0;
  d.EvtChar = eventChar_;
  return d;
}

void TCustomComPort::ApplyLineSettings() {
  if (!ApplyNow()) return;
  if (const int error = device_.SetLine(LineSettingsRecord())) throw EComPort(7, error);
}

void TCustomComPort::ApplyTimeoutSettings() {
  if (!ApplyNow()) return;
  const TComTimeouts& t = *timeouts_;
  const TCommTimeouts record{
      static_cast<uint32_t>(t.ReadInterval()), static_cast<uint32_t>(t.ReadTotalMultiplier()),
      static_cast<uint32_t>(t.ReadTotalConstant()), static_cast<uint32_t>(t.WriteTotalMultiplier()),
      static_cast<uint32_t>(t.WriteTotalConstant())};
  if (const int error = device_.SetTimeouts(record)) throw EComPort(8, error);
}

void TCustomComPort::ApplyBufferSizes() {
  if (!ApplyNow()) return;
  if (const int error = device_.SetQueueSizes(buffer_->InputSize(), buffer_->OutputSize())) {
    throw EComPort(9, error);
  }
}

// ---- writing and reading ----

int TCustomComPort::SendText(const ByteString& text) {
  const auto request = NewIoRequest();
  StartTextWrite(text, request.get());
  return AwaitCompletion(request.get());
}

int TCustomComPort::StartTextWrite(const ByteString& text, TIoRequest* request) {
  if (text.empty()) return 0;
  const int count = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
  return StartWrite(text.data(), count, request);
}

int TCustomComPort::StartWrite(const char* bytes, int count, TIoRequest* request) {
  if (!request) throw EComPort(4);
  request->kind = ioWrite;
  request->data.emplace(bytes, static_cast<size_t>(std::max(count, 0)));
  request->size = count;
  const TComTimeouts& t = *timeouts_;
  const auto multiplier = static_cast<uint32_t>(t.WriteTotalMultiplier());
  const auto constant = static_cast<uint32_t>(t.WriteTotalConstant());
  request->hasDeadline = multiplier != 0 || constant != 0;
  const uint64_t totalMs = uint64_t{multiplier} * request->data->size() + constant;
  request->deadline = TComClock::now() +
                      std::chrono::milliseconds(std::min<uint64_t>(totalMs, INT64_MAX / 2000000));
  size_t written = 0;
  if (const int error =
          device_.StartWrite(request->data->data(), request->data->size(), &written)) {
    throw EComPort(2, error);
  }
  request->transferred = written;
  request->started = true;
  LinkStateChanged(clTx, true);
  return static_cast<int>(written);
}

int TCustomComPort::AwaitCompletion(TIoRequest* request) {
  if (!request) throw EComPort(4);
  if (!request->started) return 0;
  if (request->kind == ioWrite) {
    bool timedOut = false;
    const ByteString& data = *request->data;
    const int error = device_.FinishWrite(data.data(), data.size(), &request->transferred,
                                          request->deadline, request->hasDeadline, &timedOut);
    if (error != 0) throw EComPort(2, error);
    if (eventThread_) eventThread_->WriteDone();
  } else {
    size_t got = 0;
    const int error = device_.Read(request->readBuffer, static_cast<size_t>(request->size), &got);
    if (error != 0) throw EComPort(3, error);
    request->transferred = DecodeReceived(request->readBuffer, got);
  }
  if (request->kind == ioRead && PendingInputCount() == 0) {
    LinkStateChanged(clRx, false);
  } else if (request->data) {
    LinkTxData(request->data->data(), request->size);
  }
  return static_cast<int>(request->transferred);
}

int TCustomComPort::ReceiveBytes(char* buffer, int count) {
  const auto request = NewIoRequest();
  StartRead(buffer, count, request.get());
  return AwaitCompletion(request.get());
}

int TCustomComPort::StartRead(char* buffer, int count, TIoRequest* request) {
  if (!request) throw EComPort(4);
  request->kind = ioRead;
  request->readBuffer = buffer;
  request->size = std::max(count, 0);
  if (!device_.IsOpen()) throw EComPort(3, EBADF);
  request->started = true;
  return 0;
}

size_t TCustomComPort::DecodeReceived(char* buffer, size_t count) {
  const bool marked = device_.ChecksParity();
  const bool replace = parity_->Check() && parity_->Replace();
  std::string raw = std::move(rxCarry_);
  rxCarry_.clear();
  raw.append(buffer, count);
  size_t out = 0;
  bool sawEventChar = false;
  auto emit = [&](char c) {
    if (discardNull_ && c == '\0') return;
    if (static_cast<uint8_t>(c) == eventChar_) sawEventChar = true;
    buffer[out++] = c;
  };
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (!marked || c != '\377') {
      emit(c);
      continue;
    }
    // Marked input: \377\377 is a real 0xFF, \377\0 x is byte x received with an error.
    if (i + 1 >= raw.size() || (raw[i + 1] == '\0' && i + 2 >= raw.size())) {
      rxCarry_ = raw.substr(i);
      break;
    }
    if (raw[i + 1] == '\377') {
      emit(c);
      i += 1;
    } else if (raw[i + 1] == '\0') {
      emit(replace ? static_cast<char>(parity_->ReplaceChar()) : raw[i + 2]);
      i += 2;
    }
  }
  if (sawEventChar && events_.Has(evRxFlag) && eventThread_) {
    rxFlagSeen_ = true;
    eventThread_->Wake();
  }
  return out;
}

int TCustomComPort::PendingInputCount() {
  int count = 0;
  if (const int error = device_.InputCount(&count)) throw EComPort(10, error);
  return count;
}

TModemLineSet TCustomComPort::ModemLines() {
  TModemLineSet lines;
  bool hasLines = false;
  if (const int error = device_.ModemStatus(&lines, &hasLines)) throw EComPort(11, error);
  return lines;
}

TComErrors TCustomComPort::TakeLineErrors() {
  TLineCounters now;
  bool hasCounters = false;
  if (const int error = device_.Counters(&now, &hasCounters)) throw EComPort(10, error);
  if (!hasCounters) return {};
  const TComErrors errors = LineErrorsBetween(errorBaseline_, now, parity_->Check());
  errorBaseline_ = now;
  return errors;
}

void TCustomComPort::CancelPendingIo() {
  // Reads and writes finish within their own calls here, so what is pending is the output
  // queue; received bytes stay for a dispatch still in flight.
  const int error = device_.Flush(false, true);
  // A vanished device has nothing pending; closing it must still work.
  if (error != 0 && error != EIO) throw EComPort(5, error);
}

// ---- links ----

bool TCustomComPort::IsAttached(const TComLink* link) const {
  return std::find(links_.begin(), links_.end(), link) != links_.end();
}

void TCustomComPort::AttachLink(TComLink* link) {
  if (!link || IsAttached(link)) throw EComPort(18);
  links_.push_back(link);
  hasBufferLink_ = std::any_of(links_.begin(), links_.end(),
                               [](const TComLink* l) { return static_cast<bool>(l->rxData); });
}

void TCustomComPort::DetachLink(TComLink* link) {
  const auto at = std::find(links_.begin(), links_.end(), link);
  if (at == links_.end()) throw EComPort(18);
  links_.erase(at);
  hasBufferLink_ = std::any_of(links_.begin(), links_.end(),
                               [](const TComLink* l) { return static_cast<bool>(l->rxData); });
}

// The callbacks may process events, and a handler run there may detach or destroy links:
// walk a snapshot and skip what is no longer attached.
void TCustomComPort::LinkStateChanged(TComLinkState kind, bool on) {
  static constexpr TComLink::StateCallback TComLink::*kMembers[] = {
      &TComLink::connChanged, &TComLink::ctsChanged, &TComLink::dsrChanged,
      &TComLink::rlsdChanged, &TComLink::rxActive,   &TComLink::txActive};
  for (TComLink* link : LinksSnapshot()) {
    if (!IsAttached(link)) continue;
    if (const auto callback = link->*kMembers[kind]) callback(this, on);
  }
}

void TCustomComPort::LinkNotify(TComLinkNotice kind) {
  static constexpr TComLink::NotifyCallback TComLink::*kMembers[] = {
      &TComLink::ringSeen, &TComLink::txEmptied, &TComLink::rxFlagSeen};
  for (TComLink* link : LinksSnapshot()) {
    if (!IsAttached(link)) continue;
    if (const auto callback = link->*kMembers[kind]) callback(this);
  }
}

void TCustomComPort::LinkTxData(const char* buffer, int count) {
  for (TComLink* link : LinksSnapshot()) {
    if (!IsAttached(link)) continue;
    if (const auto callback = link->txData) callback(this, buffer, count);
  }
}

// ---- event steps ----

void TCustomComPort::SignalStep(TComSignal signal, TComLinkState kind,
                                void (TCustomComPort::*fire)(bool)) {
  const bool level = ModemLines().Has(signal);
  LinkStateChanged(kind, level);
  (this->*fire)(level);
}

void TCustomComPort::RunEventStep(TComEvent event) {
  switch (event) {
    case evError: {
      const TComErrors errors = TakeLineErrors();
      if (!errors.Empty()) DoError(errors);
      break;
    }
    case evRxChar: {
      int count = PendingInputCount();
      if (count > 0) {
        LinkStateChanged(clRx, true);
        ReceiveHandOff(count);
        if (count > 0) DoRxChar(count);
      }
      break;
    }
    case evTxEmpty:
      LinkStateChanged(clTx, false);
      LinkNotify(cnTxEmpty);
      DoTxEmpty();
      break;
    case evBreak:
      DoBreak();
      break;
    case evRing:
      LinkNotify(cnRing);
      DoRing();
      break;
    case evCTS:
      SignalStep(sigCTS, clCTS, &TCustomComPort::DoCTSChange);
      break;
    case evDSR:
      SignalStep(sigDSR, clDSR, &TCustomComPort::DoDSRChange);
      break;
    case evRxFlag:
      LinkNotify(cnRxFlag);
      DoRxFlag();
      break;
    case evRLSD:
      SignalStep(sigRLSD, clRLSD, &TCustomComPort::DoRLSDChange);
      break;
    case evRx80Full:
      DoRx80Full();
      break;
  }
}

void TCustomComPort::ReceiveHandOff(int& count) {
  if (rxCharLeavesInput_ && !hasBufferLink_) return;  // the bytes stay in the input queue
  std::unique_ptr<char[]> buffer;
  int got = 0;
  bool read = false;
  auto readOnce = [&] {
    buffer = std::make_unique<char[]>(static_cast<size_t>(count));
    read = true;
    got = ReceiveBytes(buffer.get(), count);
    DoRxBuf(buffer.get(), got);
  };
  try {
    for (TComLink* link : LinksSnapshot()) {
      if (!IsAttached(link) || !link->rxData) continue;
      if (!read) readOnce();
      // Only what was read: a read cut short by its time-out leaves the rest unfilled.
      if (const auto callback = link->rxData) callback(this, buffer.get(), got);
    }
    if (!read && !rxCharLeavesInput_) readOnce();
  } catch (...) {
    if (read) count = 0;
    throw;
  }
  if (read) count = 0;
}

void TCustomComPort::HandleEventMessage(uint32_t flag) {
  try {
    if (!connected_) return;
    const TComEvents events = MaskToEvents(flag);
    for (int e = evRxChar; e <= evRx80Full; ++e) {
      const auto event = static_cast<TComEvent>(e);
      if (events.Has(event)) {
        RunEventStep(event);
        break;
      }
    }
  } catch (const std::exception& e) {
    ReportError(e.what());
  }
}

// ---- event handlers ----

void TCustomComPort::DoAfterOpen() {
  if (const auto h = OnAfterOpen) h(this);
}
void TCustomComPort::DoAfterClose() {
  if (const auto h = OnAfterClose) h(this);
}
void TCustomComPort::DoBeforeOpen() {
  if (const auto h = OnBeforeOpen) h(this);
}
void TCustomComPort::DoBeforeClose() {
  if (const auto h = OnBeforeClose) h(this);
}
void TCustomComPort::DoRxChar(int count) {
  if (const auto h = OnRxChar) h(this, count);
}
void TCustomComPort::DoRxBuf(const char* buffer, int count) {
  if (const auto h = OnRxBuf) h(this, buffer, count);
}
void TCustomComPort::DoTxEmpty() {
  if (const auto h = OnTxEmpty) h(this);
}
void TCustomComPort::DoBreak() {
  if (const auto h = OnBreak) h(this);
}
void TCustomComPort::DoRing() {
  if (const auto h = OnRing) h(this);
}
void TCustomComPort::DoCTSChange(bool onOff) {
  if (const auto h = OnCTSChange) h(this, onOff);
}
void TCustomComPort::DoDSRChange(bool onOff) {
  if (const auto h = OnDSRChange) h(this, onOff);
}
void TCustomComPort::DoRLSDChange(bool onOff) {
  if (const auto h = OnRLSDChange) h(this, onOff);
}
void TCustomComPort::DoRxFlag() {
  if (const auto h = OnRxFlag) h(this);
}
void TCustomComPort::DoError(TComErrors errors) {
  if (const auto h = OnError) h(this, errors);
}
void TCustomComPort::DoRx80Full() {
  if (const auto h = OnRx80Full) h(this);
}
