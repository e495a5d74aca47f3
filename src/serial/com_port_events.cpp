// Links and the event steps that the event thread hands to the main thread.
#include "com_port.h"

#include <algorithm>

#include "com_error.h"
#include "com_thread.h"
#include "error_report.h"
#include "main_thread_queue.h"

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
  for (TComLink* link : LinksSnapshot()) {
    if (!IsAttached(link) || !link->rxData) continue;
    if (!read) readOnce();
    // Only what was read: a read cut short by its time-out leaves the rest unfilled.
    if (const auto callback = link->rxData) callback(this, buffer.get(), got);
  }
  if (!read && !rxCharLeavesInput_) readOnce();
  if (read) count = 0;  // handed off: nothing is left for the receive event
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
    ReportError(e);
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
void TCustomComPort::DoDeviceLost() {
  if (const auto h = OnDeviceLost) h(this);
}
void TCustomComPort::DoReconnect() {
  if (const auto h = OnReconnect) h(this);
}
