#include "com_thread.h"

#include <algorithm>
#include <array>

#include "com_port.h"
#include "main_thread_queue.h"

namespace {

// How often modem lines and line counters are looked at while such events are wanted.
constexpr int kSampleMs = 5;
// Longest pause between looks at a draining output queue.
constexpr int kMaxDrainPollMs = 20;

constexpr std::array<TComEvent, 10> kDispatchOrder = {
    evError, evRxChar, evTxEmpty, evBreak, evRing, evCTS, evDSR, evRxFlag, evRLSD, evRx80Full};

constexpr TComEvents kSampledEvents = {evCTS, evDSR, evRLSD, evRing, evBreak, evError};

}  // namespace

TComThread::TComThread(TCustomComPort& port)
    : ownerPort_(port),
      device_(port.device_),
      stopEvent_(port.device_),
      wanted_(port.Events()),
      syncMethod_(port.SyncMethod()),
      open_(port.opens_) {
  device_.SetEventMask(EventsToMask(wanted_));
  TModemLineSet lines;
  device_.ModemStatus(&lines, &hasLines_);
  lines_ = lines;
  device_.Counters(&counters_, &hasCounters_);
  sampling_ = (hasLines_ || hasCounters_) &&
              !TComEvents::FromBits(wanted_.Bits() & kSampledEvents.Bits()).Empty();
  thread_ = std::thread([this] { EventLoop(); });
}

TComThread::~TComThread() {
  StopEventLoop();
  if (thread_.joinable()) thread_.join();
}

void TComThread::StopEventLoop() {
  stop_ = true;
  stopEvent_.Wake();
  ownerPort_.calls_->Notify();
  std::this_thread::yield();
}

void TComThread::WriteDone() {
  ++writesDone_;
  if (!wakePending_.exchange(true)) stopEvent_.Wake();
}

void TComThread::EndAfterHandlerError() {
  handlerFailed_ = true;
  stopEvent_.Wake();
}

void TComThread::EventLoop() {
  bool clean = true;
  while (!stop_) {
    int timeout = sampling_ ? kSampleMs : -1;
    if (writesDone_.load() != writesSeen_) {
      timeout = timeout < 0 ? drainPollMs_ : std::min(timeout, drainPollMs_);
    }
    const TEventWatch::Result wait = stopEvent_.Wait(timeout);
    if (stop_) break;
    if (handlerFailed_) {
      clean = false;
      break;
    }
    // Cleared before the writes are counted: a write after this wakes the loop again.
    wakePending_ = false;
    // A wait that cannot work would fail at once forever: end instead of spinning.
    if (wait.error != 0) break;
    // The device vanished (unplugged, or the far end of a pseudo-terminal closed).
    bool vanished = wait.hangup;
    if (!vanished) pendingEvents_ = CollectEvents(wait, &vanished);
    if (vanished) {
      // The port closes itself and reports it on the main thread, once.
      TCustomComPort* port = &ownerPort_;
      ownerPort_.calls_->Post([port, open = open_] { port->DeviceVanished(open); });
      break;
    }
    if (!pendingEvents_.Empty() && !RouteEvents()) {
      clean = false;
      break;
    }
  }
  if (clean && stop_) {
    device_.SetEventMask(0);
    device_.Flush(true, true);
  }
  finished_ = true;
  ownerPort_.calls_->Notify();
}

TComEvents TComThread::CollectEvents(const TEventWatch::Result& wait, bool* vanished) {
  TComEvents events;
  if (wait.input) {
    int count = 0;
    if (device_.InputCount(&count) != 0) {
      *vanished = true;
      return events;
    }
    if (count > 0) events.Add(evRxChar);
    const bool above = count >= device_.InputHighWater();
    if (above && !above80_) events.Add(evRx80Full);
    above80_ = above;
  }
  if (ownerPort_.rxFlagSeen_.load()) events.Add(evRxFlag);

  const uint64_t writes = writesDone_.load();
  if (writes != writesSeen_) {
    int queued = 0;
    if (device_.OutputCount(&queued) != 0) {
      *vanished = true;
      return events;
    }
    if (queued == 0) {
      writesSeen_ = writes;
      drainPollMs_ = 1;
      events.Add(evTxEmpty);
    } else {
      drainPollMs_ = std::min(drainPollMs_ * 2, kMaxDrainPollMs);
    }
  }

  if (sampling_) {
    if (hasCounters_) {
      TLineCounters now;
      bool has = false;
      if (device_.Counters(&now, &has) != 0) {
        *vanished = true;
        return events;
      }
      const TLineCounters& was = counters_;
      if (now.cts != was.cts) events.Add(evCTS);
      if (now.dsr != was.dsr) events.Add(evDSR);
      if (now.dcd != was.dcd) events.Add(evRLSD);
      if (now.rng != was.rng) events.Add(evRing);
      if (now.brk != was.brk) events.Add(evBreak);
      if (!LineErrorsBetween(was, now, true).Empty()) events.Add(evError);
      counters_ = now;
    } else {
      TModemLineSet now;
      bool has = false;
      if (device_.ModemStatus(&now, &has) != 0) {
        *vanished = true;
        return events;
      }
      if (now.Has(sigCTS) != lines_.Has(sigCTS)) events.Add(evCTS);
      if (now.Has(sigDSR) != lines_.Has(sigDSR)) events.Add(evDSR);
      if (now.Has(sigRLSD) != lines_.Has(sigRLSD)) events.Add(evRLSD);
      if (now.Has(sigRing) && !lines_.Has(sigRing)) events.Add(evRing);
      lines_ = now;
    }
  }
  return TComEvents::FromBits(events.Bits() & wanted_.Bits());
}

bool TComThread::RouteEvents() {
  TCustomComPort* port = &ownerPort_;
  const TComEvents events = pendingEvents_;
  const TComEvents wanted = wanted_;
  switch (syncMethod_) {
    case smThreadSync:
      return ownerPort_.calls_->Run(
                 [port, events, wanted] { RunEventHandlers(*port, events, wanted); }, stop_) ==
             nullptr;
    case smWindowSync:
      ForwardEventsToWindow();
      return true;
    case smNone:
      try {
        RunEventHandlers(*port, events, wanted);
      } catch (...) {
        return false;
      }
      return true;
  }
  return true;
}

void TComThread::RunEventHandlers(TCustomComPort& port, TComEvents events, TComEvents wanted) {
  for (const TComEvent event : kDispatchOrder) {
    if (!port.Connected()) return;  // a handler closed it: the rest has no line to ask
    // An event character may have turned up in what the receive step just read.
    if (event == evRxFlag && port.TakeRxFlag() && wanted.Has(evRxFlag)) events.Add(evRxFlag);
    if (events.Has(event)) port.RunEventStep(event);
  }
}

void TComThread::ForwardEventsToWindow() {
  TCustomComPort* port = &ownerPort_;
  for (const TComEvent event : kDispatchOrder) {
    if (event == evRxFlag) port->TakeRxFlag();
    if (!pendingEvents_.Has(event)) continue;
    const uint32_t flag = EventsToMask(TComEvents{event});
    port->calls_->Post([port, flag] { port->HandleEventMessage(flag); });
  }
}
