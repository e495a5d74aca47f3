// The port: its settings, opening and closing.
#include "com_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include "com_error.h"
#include "com_reconnect.h"
#include "com_thread.h"
#include "error_report.h"
#include "main_thread_queue.h"
#include "translate.h"
#include "virtual_devices.h"

namespace {

// How long ClosePort waits at a time for the event thread before serving its calls again.
constexpr std::chrono::milliseconds kCloseWaitStep{5};

}  // namespace

// ---- the port ----

TCustomComPort::TCustomComPort()
    : parity_(std::make_unique<TComParity>(this)),
      buffer_(std::make_unique<TComBuffer>(this)),
      flowControl_(std::make_unique<TComFlowControl>(this)),
      timeouts_(std::make_unique<TComTimeouts>(this)),
      calls_(std::make_unique<TMainThreadQueue>()),
      reconnect_(std::make_unique<TComReconnectWatch>([this] { return Reopen(); })) {}

TCustomComPort::~TCustomComPort() {
  reconnect_->Stop();
  try {
    ClosePort();
  } catch (const std::exception& e) {
    ReportError(e);
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
    ReportError(e);
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
  if (const VirtualDevice* device = FindVirtualDevice(port_)) {
    // A device in software hands over the path of its own end to open like any device.
    const int error = device->open(&path);
    if (error != 0) throw PortError(1, error);
    virtualClose_ = device->close;
  }
  const int error = device_.Open(path);
  if (error != 0) {
    CloseVirtualDevice();
    throw PortError(1, error);
  }
  errorBaseline_ = {};
  bool hasCounters = false;
  device_.Counters(&errorBaseline_, &hasCounters);
  markedInput_.Clear();
  rxFlagSeen_ = false;
}

std::string TCustomComPort::DevicePath() const {
  return DevicePathOf(port_);
}

EComPort TCustomComPort::PortError(int code, int error) const {
  if (error == EBADF && !device_.IsOpen()) {
    return EComPort(code, error, TrFormat("{1}: the port is not open", {DevicePath()}));
  }
  return EComPort(code, error, PortErrorDetail(DevicePath(), error));
}

void TCustomComPort::CloseDevice() {
  device_.Close();
  CloseVirtualDevice();
}

void TCustomComPort::CloseVirtualDevice() {
  if (!virtualClose_) return;
  const std::function<void()> close = std::move(virtualClose_);
  virtualClose_ = nullptr;
  close();
}

void TCustomComPort::ApplyAllSettings() {
  ApplyBufferSizes();
  ApplyLineSettings();
  ApplyTimeoutSettings();
}

void TCustomComPort::OpenPort() {
  reconnect_->Stop();
  OpenNow();
}

void TCustomComPort::OpenNow() {
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
  ++opens_;
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
  reconnect_->Stop();
  CloseNow();
}

void TCustomComPort::CloseNow() {
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
  if (!lost_) CancelPendingIo();
  StopEventThread();
  CloseDevice();
  connected_ = false;
  LinkStateChanged(clConn, false);
  DoAfterClose();
}

bool TCustomComPort::Reconnecting() const {
  return reconnect_->Active();
}

void TCustomComPort::OpenWhenPresent() {
  if (connected_ || port_.empty()) return;
  reconnect_->Start(FindVirtualDevice(port_) ? std::string() : DevicePath());
}

void TCustomComPort::LoseDevice() {
  if (!connected_) return;
  // First, so what writes to the line (the control tick) stops before the close below lets
  // pending events run.
  DoDeviceLost();
  lost_ = true;
  try {
    CloseNow();
  } catch (...) {
    lost_ = false;
    throw;
  }
  lost_ = false;
  // Closing leaves the activity lamps as they were; a line that is gone shows dark.
  LinkStateChanged(clTx, false);
  LinkStateChanged(clRx, false);
  reconnect_->Start(FindVirtualDevice(port_) ? std::string() : DevicePath());
}

void TCustomComPort::DeviceVanished(uint64_t open) {
  if (open != opens_ || !connected_) return;  // closed, or lost in a write, meanwhile
  if (writing_) {
    // Run inside a write (its lamp handles pending events): that write is about to fail on
    // the gone device and reports it; should it not, look again after it.
    calls_->Post([this, open] { DeviceVanished(open); });
    return;
  }
  const std::string path = DevicePath();
  LoseDevice();
  ReportError(EComDisconnected(path));
}

void TCustomComPort::FailWrite(int error) {
  writing_ = false;
  if ((error == EIO || error == ENXIO || error == ENODEV) && connected_) {
    const std::string path = DevicePath();
    LoseDevice();
    throw EComDisconnected(path);
  }
  throw PortError(2, error);
}

bool TCustomComPort::Reopen() {
  try {
    OpenNow();
  } catch (const std::exception&) {
    return false;  // not back yet; the next look tries again
  }
  PrintError(TrFormat("reconnected to {1}", {DevicePath()}));
  DoReconnect();
  return true;
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
  if (eventThread_) eventThread_->LinesChanged();
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
