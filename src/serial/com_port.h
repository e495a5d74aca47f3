// The serial port component: settings and their sub-objects, open and close, the blocking
// write, reading and status queries, links for attached controls, and event delivery through
// its event thread (com_thread.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "com_device.h"
#include "com_error.h"
#include "com_types.h"
#include "marked_input.h"
#include "unSerialLink.h"

class TCustomComPort;
class TComThread;
class TComReconnectWatch;
class TMainThreadQueue;

using TNotifyEvent = std::function<void(TCustomComPort* sender)>;
using TRxCharEvent = std::function<void(TCustomComPort* sender, int count)>;
using TRxBufEvent = std::function<void(TCustomComPort* sender, const char* buffer, int count)>;
using TComSignalEvent = std::function<void(TCustomComPort* sender, bool onOff)>;
using TComErrorEvent = std::function<void(TCustomComPort* sender, TComErrors errors)>;

// What an attached control wants to hear about. The control owns the link; empty callbacks
// are skipped.
class TComLink {
 public:
  using StateCallback = std::function<void(TCustomComPort* sender, bool on)>;
  using DataCallback = std::function<void(TCustomComPort* sender, const char* buffer, int count)>;
  using NotifyCallback = std::function<void(TCustomComPort* sender)>;

  StateCallback connChanged;
  DataCallback rxData;
  DataCallback txData;
  NotifyCallback txEmptied;
  NotifyCallback rxFlagSeen;
  StateCallback ctsChanged;
  StateCallback dsrChanged;
  StateCallback rlsdChanged;
  NotifyCallback ringSeen;
  StateCallback txActive;
  StateCallback rxActive;
};

enum TComLinkState { clConn, clCTS, clDSR, clRLSD, clRx, clTx };
enum TComLinkNotice { cnRing, cnTxEmpty, cnRxFlag };

// Settings sub-objects. The port's own instances apply a changed value to the open device;
// a free-standing copy only holds values, to be handed over whole with the port's setter.
class TComParity {
 public:
  explicit TComParity(TCustomComPort* port = nullptr) : port_(port) {}
  TComParity(const TComParity& other) { AssignFields(other); }
  TComParity& operator=(const TComParity&) = delete;

  TParityBits Bits() const { return bits_; }
  void SetBits(TParityBits value);
  bool Check() const { return check_; }
  void SetCheck(bool value);
  bool Replace() const { return replace_; }
  void SetReplace(bool value);
  uint8_t ReplaceChar() const { return replaceChar_; }
  void SetReplaceChar(uint8_t value);

  void AssignFields(const TComParity& from);

 private:
  template <typename T>
  void Change(T& field, T value);

  TCustomComPort* port_ = nullptr;
  TParityBits bits_ = prNone;
  bool check_ = false;
  bool replace_ = false;
  uint8_t replaceChar_ = 0;
};

class TComFlowControl {
 public:
  explicit TComFlowControl(TCustomComPort* port = nullptr) : port_(port) {}
  TComFlowControl(const TComFlowControl& other) { AssignFields(other); }
  TComFlowControl& operator=(const TComFlowControl&) = delete;

  // The preset the fields amount to, and setting one (always re-applied).
  TFlowControl FlowControl() const;
  void SetFlowControl(TFlowControl value);

  bool OutCTSFlow() const { return outCTSFlow_; }
  void SetOutCTSFlow(bool value);
  bool OutDSRFlow() const { return outDSRFlow_; }
  void SetOutDSRFlow(bool value);
  TDTRFlowControl ControlDTR() const { return controlDTR_; }
  void SetControlDTR(TDTRFlowControl value);
  TRTSFlowControl ControlRTS() const { return controlRTS_; }
  void SetControlRTS(TRTSFlowControl value);
  bool XonXoffOut() const { return xonXoffOut_; }
  void SetXonXoffOut(bool value);
  bool XonXoffIn() const { return xonXoffIn_; }
  void SetXonXoffIn(bool value);
  bool DSRSensitivity() const { return dsrSensitivity_; }
  void SetDSRSensitivity(bool value);
  bool TxContinueOnXoff() const { return txContinueOnXoff_; }
  void SetTxContinueOnXoff(bool value);
  uint8_t XonChar() const { return xonChar_; }
  void SetXonChar(uint8_t value);
  uint8_t XoffChar() const { return xoffChar_; }
  void SetXoffChar(uint8_t value);

  void AssignFields(const TComFlowControl& from);

 private:
  template <typename T>
  void Change(T& field, T value);

  TCustomComPort* port_ = nullptr;
  bool outCTSFlow_ = false;
  bool outDSRFlow_ = false;
  TDTRFlowControl controlDTR_ = dtrDisable;
  TRTSFlowControl controlRTS_ = rtsDisable;
  bool xonXoffOut_ = false;
  bool xonXoffIn_ = false;
  bool dsrSensitivity_ = false;
  bool txContinueOnXoff_ = false;
  uint8_t xonChar_ = 17;
  uint8_t xoffChar_ = 19;
};

// Milliseconds; -1 is all bits set.
class TComTimeouts {
 public:
  explicit TComTimeouts(TCustomComPort* port = nullptr) : port_(port) {}
  TComTimeouts(const TComTimeouts& other) { AssignFields(other); }
  TComTimeouts& operator=(const TComTimeouts&) = delete;

  int32_t ReadInterval() const { return readInterval_; }
  void SetReadInterval(int32_t value);
  int32_t ReadTotalMultiplier() const { return readTotalMultiplier_; }
  void SetReadTotalMultiplier(int32_t value);
  int32_t ReadTotalConstant() const { return readTotalConstant_; }
  void SetReadTotalConstant(int32_t value);
  int32_t WriteTotalMultiplier() const { return writeTotalMultiplier_; }
  void SetWriteTotalMultiplier(int32_t value);
  int32_t WriteTotalConstant() const { return writeTotalConstant_; }
  void SetWriteTotalConstant(int32_t value);

  void AssignFields(const TComTimeouts& from);

 private:
  void Change(int32_t& field, int32_t value);

  TCustomComPort* port_ = nullptr;
  int32_t readInterval_ = -1;
  int32_t readTotalMultiplier_ = 0;
  int32_t readTotalConstant_ = 0;
  int32_t writeTotalMultiplier_ = 100;
  int32_t writeTotalConstant_ = 1000;
};

// Queue sizes in bytes; an odd positive size is stored one lower.
class TComBuffer {
 public:
  explicit TComBuffer(TCustomComPort* port = nullptr) : port_(port) {}
  TComBuffer(const TComBuffer& other) { AssignFields(other); }
  TComBuffer& operator=(const TComBuffer&) = delete;

  int32_t InputSize() const { return inputSize_; }
  void SetInputSize(int32_t value);
  int32_t OutputSize() const { return outputSize_; }
  void SetOutputSize(int32_t value);

  void AssignFields(const TComBuffer& from);

 private:
  void Change(int32_t& field, int32_t value);

  TCustomComPort* port_ = nullptr;
  int32_t inputSize_ = 1024;
  int32_t outputSize_ = 1024;
};

enum TIoKind : uint8_t { ioWrite = 0, ioRead = 1 };

// One write or read in progress.
struct TIoRequest {
  TIoKind kind = ioWrite;
  // The bytes being written: the caller's own, which outlive the write, so no copy is made.
  const char* data = nullptr;
  int32_t size = 0;
  bool started = false;
  size_t transferred = 0;
  char* readBuffer = nullptr;
  TComClock::time_point deadline{};
  bool hasDeadline = false;
};

std::unique_ptr<TIoRequest> NewIoRequest();

// The errors whose counters grew from `before` to `now`; parity only while it is checked.
TComErrors LineErrorsBetween(const TLineCounters& before, const TLineCounters& now,
                             bool checkParity);

class TCustomComPort {
 public:
  TCustomComPort();
  virtual ~TCustomComPort();
  TCustomComPort(const TCustomComPort&) = delete;
  TCustomComPort& operator=(const TCustomComPort&) = delete;

  // Settings. A change reaches the open device at once; a closed port keeps it for the next
  // open.
  bool Connected() const { return connected_; }
  void SetConnected(bool value);
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate value);
  int32_t CustomRate() const { return customRate_; }
  void SetCustomRate(int32_t value);
  const std::string& Port() const { return port_; }
  void SetPort(const std::string& value);
  // The device the port name stands for ("/dev/ttyUSB0"); a virtual device's own name.
  std::string DevicePath() const;
  TComParity& Parity() { return *parity_; }
  const TComParity& Parity() const { return *parity_; }
  void SetParity(const TComParity& value);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits value);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits value);
  bool DiscardNull() const { return discardNull_; }
  void SetDiscardNull(bool value);
  uint8_t EventChar() const { return eventChar_; }
  void SetEventChar(uint8_t value);
  TComEvents Events() const { return events_; }
  void SetEvents(TComEvents value);
  TComBuffer& Buffer() { return *buffer_; }
  const TComBuffer& Buffer() const { return *buffer_; }
  void SetBuffer(const TComBuffer& value);
  TComFlowControl& FlowControl() { return *flowControl_; }
  const TComFlowControl& FlowControl() const { return *flowControl_; }
  void SetFlowControl(const TComFlowControl& value);
  TComTimeouts& Timeouts() { return *timeouts_; }
  const TComTimeouts& Timeouts() const { return *timeouts_; }
  void SetTimeouts(const TComTimeouts& value);
  TSyncMethod SyncMethod() const { return syncMethod_; }
  void SetSyncMethod(TSyncMethod value);
  // false: received bytes are read and handed to OnRxBuf even without a data link.
  bool RxCharLeavesInput() const { return rxCharLeavesInput_; }
  void SetRxCharLeavesInput(bool value) { rxCharLeavesInput_ = value; }

  // Loading from a stored description: setters only store until Loaded, which opens the port
  // if it was stored as connected (a failure goes to the error report).
  void BeginLoading() { loading_ = true; }
  bool Loading() const { return loading_; }
  virtual void Loaded();

  // `removed` runs while the port is being destroyed, so references to it can be dropped.
  void FreeNotification(const void* client, std::function<void(TCustomComPort*)> removed);
  void RemoveFreeNotification(const void* client);

  // Either ends a reconnect watch: the program has taken over.
  void OpenPort();
  void ClosePort();
  // The device vanished while open: the port closed itself and reopens it, with the same
  // settings, once its path is back.
  bool Reconnecting() const;
  // A closed port watches for its device as for a vanished one and opens once it appears
  // (OnReconnect follows); nothing without a port name. OpenPort and ClosePort end the watch.
  void OpenWhenPresent();
  // Once `fd` is readable, a write in progress ends with message 2 and ECANCELED; -1 for none.
  void SetWriteCancelFd(int fd) { device_.SetCancelFd(fd); }
  virtual void ApplyLineSettings();
  virtual void ApplyTimeoutSettings();
  virtual void ApplyBufferSizes();
  // The line-settings record built from the settings alone.
  TDcb LineSettingsRecord() const;

  // Writes all bytes and waits until they are out or the write time-out passes; returns the
  // count written.
  int SendText(const ByteString& text);
  int StartTextWrite(const ByteString& text, TIoRequest* request);
  int StartWrite(const char* bytes, int count, TIoRequest* request);
  int AwaitCompletion(TIoRequest* request);
  // Reads as the read time-outs decide; returns the count read.
  int ReceiveBytes(char* buffer, int count);
  int StartRead(char* buffer, int count, TIoRequest* request);
  int PendingInputCount();
  TModemLineSet ModemLines();
  TComErrors TakeLineErrors();
  void CancelPendingIo();

  void AttachLink(TComLink* link);
  void DetachLink(TComLink* link);
  void LinkStateChanged(TComLinkState kind, bool on);
  void LinkNotify(TComLinkNotice kind);
  void LinkTxData(const char* buffer, int count);
  const std::vector<TComLink*>& Links() const { return links_; }

  // The event thread of the open port, none while closed or without events.
  TComThread* EventThread() const { return eventThread_.get(); }
  const TComDevice& Device() const { return device_; }

 protected:
  virtual void OpenDevice();
  virtual void CloseDevice();
  virtual void ApplyAllSettings();

  virtual void DoAfterOpen();
  virtual void DoAfterClose();
  virtual void DoBeforeOpen();
  virtual void DoBeforeClose();
  virtual void DoRxChar(int count);
  virtual void DoRxBuf(const char* buffer, int count);
  virtual void DoTxEmpty();
  virtual void DoBreak();
  virtual void DoRing();
  virtual void DoCTSChange(bool onOff);
  virtual void DoDSRChange(bool onOff);
  virtual void DoRLSDChange(bool onOff);
  virtual void DoRxFlag();
  virtual void DoError(TComErrors errors);
  virtual void DoRx80Full();
  virtual void DoDeviceLost();
  virtual void DoReconnect();

  TNotifyEvent OnAfterOpen;
  TNotifyEvent OnAfterClose;
  TNotifyEvent OnBeforeOpen;
  TNotifyEvent OnBeforeClose;
  TRxCharEvent OnRxChar;
  TRxBufEvent OnRxBuf;
  TNotifyEvent OnTxEmpty;
  TNotifyEvent OnBreak;
  TNotifyEvent OnRing;
  TComSignalEvent OnCTSChange;
  TComSignalEvent OnDSRChange;
  TComSignalEvent OnRLSDChange;
  TNotifyEvent OnRxFlag;
  TComErrorEvent OnError;
  TNotifyEvent OnRx80Full;
  // The device vanished. Runs first, while the port is still open: stop whatever writes to
  // it. Then the port closes, its lamps go dark, and "Serial device %s disconnected" is
  // reported (or raised by the write that found the device gone).
  TNotifyEvent OnDeviceLost;
  // The vanished device is back and the port open again; nothing has been sent.
  TNotifyEvent OnReconnect;

 private:
  friend class TComThread;

  bool ApplyNow() const { return connected_ && !loading_; }
  // A failed open or write, with the device and the system's reason as its detail.
  EComPort PortError(int code, int error) const;
  void StopEventThread();
  void CloseVirtualDevice();
  void OpenNow();
  void CloseNow();
  // Closes the port whose device is gone and starts watching for it; once per loss.
  void LoseDevice();
  // From the event thread, through the main thread: the device of open number `open` hung up.
  void DeviceVanished(uint64_t open);
  // A write failed with `error`: a device that went away is lost (EComDisconnected),
  // anything else is message 2.
  [[noreturn]] void FailWrite(int error);
  // The reconnect watch's attempt; true when the port is open again.
  bool Reopen();
  // A write has completed; `drained`: its bytes have left the output queue.
  void TransmitDone(bool drained);
  // One dispatch step, on whichever thread the sync method runs handlers.
  void RunEventStep(TComEvent event);
  void ReceiveHandOff(int& count);
  void SignalStep(TComSignal signal, TComLinkState kind, void (TCustomComPort::*fire)(bool));
  // smWindowSync: one posted event per member, run on the main thread.
  void HandleEventMessage(uint32_t flag);
  bool TakeRxFlag() { return rxFlagSeen_.exchange(false); }
  // Bytes read from the device, as the receiver sees them: marked errors resolved, NULs
  // dropped when asked.
  size_t DecodeReceived(char* buffer, size_t count);
  std::vector<TComLink*> LinksSnapshot() const { return links_; }
  bool IsAttached(const TComLink* link) const;

  std::atomic<bool> connected_{false};  // also read by the event thread
  bool loading_ = false;
  TBaudRate baudRate_ = br9600;
  int32_t customRate_ = 9600;
  std::string port_ = "COM1";
  std::unique_ptr<TComParity> parity_;
  TStopBits stopBits_ = sbOneStopBit;
  TDataBits dataBits_ = dbEight;
  bool discardNull_ = false;
  uint8_t eventChar_ = 0;
  TComEvents events_ = kAllComEvents;
  std::unique_ptr<TComBuffer> buffer_;
  std::unique_ptr<TComFlowControl> flowControl_;
  std::unique_ptr<TComTimeouts> timeouts_;
  TSyncMethod syncMethod_ = smThreadSync;

  TComDevice device_;
  std::function<void()> virtualClose_;  // set while the device is a registered virtual one
  std::unique_ptr<TMainThreadQueue> calls_;
  std::unique_ptr<TComThread> eventThread_;
  bool threadRunning_ = false;
  uint64_t opens_ = 0;    // tells a dispatch queued before a close from one of this open
  bool lost_ = false;     // closing a device that is gone: nothing to cancel
  bool writing_ = false;  // between the start of a write and its completion
  std::unique_ptr<TComReconnectWatch> reconnect_;
  std::vector<TComLink*> links_;
  bool rxCharLeavesInput_ = true;
  bool hasBufferLink_ = false;
  std::vector<std::pair<const void*, std::function<void(TCustomComPort*)>>> freeNotifications_;
  TLineCounters errorBaseline_;
  TMarkedInput markedInput_;
  std::vector<TReceivedByte> received_;  // kept, so a read does not allocate it afresh
  std::atomic<bool> rxFlagSeen_{false};
};

// The port as the program uses it: everything public.
class TComPort : public TCustomComPort {
 public:
  using TCustomComPort::OnAfterClose;
  using TCustomComPort::OnAfterOpen;
  using TCustomComPort::OnBeforeClose;
  using TCustomComPort::OnBeforeOpen;
  using TCustomComPort::OnBreak;
  using TCustomComPort::OnCTSChange;
  using TCustomComPort::OnDeviceLost;
  using TCustomComPort::OnDSRChange;
  using TCustomComPort::OnError;
  using TCustomComPort::OnReconnect;
  using TCustomComPort::OnRing;
  using TCustomComPort::OnRLSDChange;
  using TCustomComPort::OnRx80Full;
  using TCustomComPort::OnRxBuf;
  using TCustomComPort::OnRxChar;
  using TCustomComPort::OnRxFlag;
  using TCustomComPort::OnTxEmpty;
};
