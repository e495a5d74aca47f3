#include "com_thread.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>

#include "com_port.h"
#include "main_thread_queue.h"

namespace {

// How often modem lines are looked at where their changes cannot be waited for.
constexpr int kSampleMs = 5;
// How long a UART in loopback may take to report its own RTS flip.
constexpr int kLoopReportMs = 100;
// Longest pause between looks at a draining output queue.
constexpr int kMaxDrainPollMs = 20;

constexpr std::array<TComEvent, 10> kDispatchOrder = {
    evError, evRxChar, evTxEmpty, evBreak, evRing, evCTS, evDSR, evRxFlag, evRLSD, evRx80Full};

constexpr TComEvents kLineEvents = {evCTS, evDSR, evRLSD, evRing};
constexpr TComEvents kCountedEvents = {evBreak, evError};

bool Wants(TComEvents wanted, TComEvents some) {
  return (wanted.Bits() & some.Bits()) != 0;
}

TModemLineSet LinesOf(TComEvents events) {
  TModemLineSet lines;
  if (events.Has(evCTS)) lines.Add(sigCTS);
  if (events.Has(evDSR)) lines.Add(sigDSR);
  if (events.Has(evRLSD)) lines.Add(sigRLSD);
  if (events.Has(evRing)) lines.Add(sigRing);
  return lines;
}

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
  device_.Counters(&counters_, &hasCounters_);
  const TModemLineSet watched = LinesOf(wanted_);
  if (hasLines_ && !watched.Empty()) {
    modemWatch_ =
        std::make_unique<TModemWatch>([this, watched] { return device_.WaitModemChange(watched); },
                                      [this] { stopEvent_.Wake(); });
    lineWatch_ = lwWait;
    if (watched.Has(sigCTS) && device_.InLoopback() && !ReportsOwnChanges()) {
      modemWatch_.reset();
      lineWatch_ = lwSample;
    }
  }
  // The state to compare with, taken after any flip above.
  bool has = false;
  device_.ModemStatus(&lines, &has);
  lines_ = lines;
  device_.Counters(&counters_, &has);
  ringByCount_ = lineWatch_ == lwWait && hasCounters_;
  lookAtLines_ = (hasLines_ && Wants(wanted_, kLineEvents)) ||
                 (hasCounters_ && Wants(wanted_, kCountedEvents));
  thread_ = std::thread([this] { EventLoop(); });
}

// In loopback the modem inputs follow our own outputs and the line is cut off, so flipping RTS
// shows, unseen by anyone, whether the UART reports changes at all: some emulated ones never
// raise the interrupt, and there only sampling sees a line move.
bool TComThread::ReportsOwnChanges() {
  modemWatch_->WaitUntilWaiting();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));  // into the driver's wait
  const uint64_t seen = modemWatch_->Changes();
  if (device_.PulseRts() != 0) return true;  // no way to tell: trust the driver
  return modemWatch_->WaitForChange(seen, kLoopReportMs);
}

TComThread::~TComThread() {
  StopEventLoop();
  if (thread_.joinable()) thread_.join();
  modemWatch_.reset();
}

void TComThread::LinesChanged() {
  if (modemWatch_) modemWatch_->Rearm();
  stopEvent_.Wake();
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
    int timeout = lineWatch_ == lwSample ? kSampleMs : -1;
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

  if (lineWatch_ == lwWait && modemWatch_->Failure() != 0) {
    const int failure = modemWatch_->Failure();
    // A driver that cannot wait for line changes leaves sampling; any other failure is the
    // device going, which the look below finds.
    lineWatch_ = failure == ENOTTY || failure == EINVAL ? lwSample : lwNone;
    ringByCount_ = false;
  }
  if (lookAtLines_ && !LookAtLines(&events)) {
    *vanished = true;
    return events;
  }
  return TComEvents::FromBits(events.Bits() & wanted_.Bits());
}

bool TComThread::LookAtLines(TComEvents* events) {
  bool has = false;
  TModemLineSet now = lines_;
  if (hasLines_ && device_.ModemStatus(&now, &has) != 0) return false;
  TLineCounters count = counters_;
  if (hasCounters_ && device_.Counters(&count, &has) != 0) return false;
  const TLineCounters& was = counters_;
  // A level that moved is a change; a count that moved twice or more is a pulse that came and
  // went between two looks (a single count may only trail a level already seen).
  const auto moved = [&](TComSignal line, int before, int after) {
    return now.Has(line) != lines_.Has(line) || after - before >= 2;
  };
  if (moved(sigCTS, was.cts, count.cts)) events->Add(evCTS);
  if (moved(sigDSR, was.dsr, count.dsr)) events->Add(evDSR);
  if (moved(sigRLSD, was.dcd, count.dcd)) events->Add(evRLSD);
  // The driver counts a ring as it ends; without its count a ring is RI coming on.
  if (ringByCount_ ? count.rng != was.rng : now.Has(sigRing) && !lines_.Has(sigRing)) {
    events->Add(evRing);
  }
  if (count.brk != was.brk) events->Add(evBreak);
  if (!LineErrorsBetween(was, count, true).Empty()) events->Add(evError);
  lines_ = now;
  counters_ = count;
  return true;
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
