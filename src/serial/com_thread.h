// The event thread of an open port: waits for line events and has them dispatched as the
// port's SyncMethod says. One per open port; it never spins on input that nobody reads.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "com_device.h"
#include "com_modem_watch.h"
#include "com_types.h"

class TCustomComPort;

class TComThread {
 public:
  // How changes of the modem lines come to notice: not at all (no lines, or no such events
  // wanted), through the driver's change wait, or by sampling where the driver cannot wait or
  // the UART does not report its changes.
  enum TLineWatch { lwNone, lwWait, lwSample };

  // Sets the device's event mask from the port's Events and starts the loop.
  explicit TComThread(TCustomComPort& port);
  // Stops the loop and waits for its end.
  ~TComThread();
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;

  void StopEventLoop();
  bool Finished() const { return finished_.load(); }
  // The events it was started for.
  TComEvents Wanted() const { return wanted_; }
  // A write has completed: report transmit-empty once the output queue has drained. Writes
  // that follow before the loop has looked share one wake-up.
  void WriteDone();
  // A handler run for this thread's port elsewhere failed: end as if it had failed here.
  void EndAfterHandlerError();
  // Something (a read) needs the loop to look again.
  void Wake() { stopEvent_.Wake(); }
  // New line settings were applied, which may have moved DTR and RTS and disarmed the
  // driver's change wait: wait afresh and look at the lines.
  void LinesChanged();
  TLineWatch LineWatch() const { return lineWatch_.load(); }
  pthread_t NativeHandle() { return thread_.native_handle(); }

 private:
  void EventLoop();
  TComEvents CollectEvents(const TEventWatch::Result& wait, bool* vanished);
  // Adds the line events since the last look; false when the device did not answer.
  bool LookAtLines(TComEvents* events);
  bool ReportsOwnChanges();
  // false when the handlers raised an error: the loop ends.
  bool RouteEvents();
  // Touches only the port: a handler may close the port, which destroys this thread object
  // while the dispatch is still on the stack.
  static void RunEventHandlers(TCustomComPort& port, TComEvents events, TComEvents wanted);
  void ForwardEventsToWindow();

  TCustomComPort& ownerPort_;
  TComDevice& device_;
  TEventWatch stopEvent_;
  TComEvents wanted_;
  TSyncMethod syncMethod_;
  uint64_t open_;  // the port's open this thread serves
  TComEvents pendingEvents_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::atomic<uint64_t> writesDone_{0};
  std::atomic<bool> wakePending_{false};
  std::atomic<bool> handlerFailed_{false};

  // Loop state, touched by the loop alone.
  uint64_t writesSeen_ = 0;
  int drainPollMs_ = 1;
  bool above80_ = false;
  bool lookAtLines_ = false;
  bool ringByCount_ = false;
  bool hasLines_ = false;
  bool hasCounters_ = false;
  TModemLineSet lines_;
  TLineCounters counters_;

  std::atomic<TLineWatch> lineWatch_{lwNone};
  std::unique_ptr<TModemWatch> modemWatch_;

  std::thread thread_;  // last: starts once everything above exists
};
