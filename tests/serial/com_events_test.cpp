#include <gtest/gtest.h>
#include <pthread.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "com_error.h"
#include "com_port.h"
#include "com_thread.h"
#include "error_report.h"
#include "port_fixture.h"
#include "pty_pair.h"
#include "temp_dir.h"

namespace {

using namespace std::chrono_literals;

std::chrono::nanoseconds ThreadCpuTime(TComThread& thread) {
  clockid_t clock{};
  EXPECT_EQ(::pthread_getcpuclockid(thread.NativeHandle(), &clock), 0);
  timespec t{};
  ::clock_gettime(clock, &t);
  return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

class EventsOnPty : public PortOnPty {};

std::set<pid_t> Tasks() {
  std::set<pid_t> tasks;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    tasks.insert(static_cast<pid_t>(std::stoi(entry.path().filename().string())));
  }
  return tasks;
}

// How often a thread of this process has gone to sleep: once after every wake-up.
long Sleeps(pid_t tid) {
  std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
  std::string line;
  const std::string key = "voluntary_ctxt_switches:";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  }
  ADD_FAILURE() << "no switch count for thread " << tid;
  return -1;
}

// Opens the port and answers the task id of the event thread it started.
pid_t OpenAndFindEventThread(TComPort& port) {
  const std::set<pid_t> before = Tasks();
  port.OpenPort();
  for (const pid_t tid : Tasks()) {
    if (!before.count(tid)) return tid;
  }
  ADD_FAILURE() << "no event thread";
  return 0;
}

TEST_F(EventsOnPty, TxEmptyRunsOnTheMainThreadAfterAWrite) {
  const auto mainThread = std::this_thread::get_id();
  std::vector<std::string> order;
  TComLink link;
  link.txActive = [&](TCustomComPort*, bool on) { order.push_back(on ? "tx+" : "tx-"); };
  link.txEmptied = [&](TCustomComPort*) { order.push_back("emptied"); };
  link.txData = [&](TCustomComPort*, const char* buffer, int count) {
    order.push_back("data " + std::string(buffer, static_cast<size_t>(count)));
  };
  port.AttachLink(&link);
  int txEmpty = 0;
  port.OnTxEmpty = [&](TCustomComPort* sender) {
    EXPECT_EQ(sender, &port);
    EXPECT_EQ(std::this_thread::get_id(), mainThread);
    order.push_back("OnTxEmpty");
    ++txEmpty;
  };
  port.OpenPort();
  EXPECT_EQ(port.SendText("abcd"), 4);
  ASSERT_TRUE(WaitUntil([&] { return txEmpty == 1; }));
  EXPECT_EQ(order, (std::vector<std::string>{"tx+", "data abcd", "tx-", "emptied", "OnTxEmpty"}));
  PumpFor(100ms);
  EXPECT_EQ(txEmpty, 1);  // once per write
  port.SendText("e");
  EXPECT_TRUE(WaitUntil([&] { return txEmpty == 2; }));
  port.ClosePort();
  port.DetachLink(&link);
}

TEST_F(EventsOnPty, UnreadInputIsReportedOncePerArrivalAndTheThreadSleeps) {
  std::vector<int> counts;
  port.OnRxChar = [&](TCustomComPort*, int count) { counts.push_back(count); };
  port.OpenPort();
  pty.WritePeer("abc");
  ASSERT_TRUE(WaitUntil([&] { return counts.size() == 1; }));
  EXPECT_EQ(counts[0], 3);

  // Nothing reads: the bytes stay, and the thread must not wake for them again.
  const auto cpuBefore = ThreadCpuTime(*port.EventThread());
  PumpFor(500ms);
  const auto cpuUsed = ThreadCpuTime(*port.EventThread()) - cpuBefore;
  EXPECT_EQ(counts.size(), 1u);
  EXPECT_LT(cpuUsed, 50ms);
  EXPECT_EQ(port.PendingInputCount(), 3);

  pty.WritePeer("de");
  ASSERT_TRUE(WaitUntil([&] { return counts.size() == 2; }));
  EXPECT_EQ(counts[1], 5);
}

TEST_F(EventsOnPty, OneWaitWithInputAndAnEmptiedQueueRunsTheReceiveStepFirst) {
  // On the event thread itself, which holds the first dispatch until input has arrived and a
  // second write has emptied the queue: its next wait finds both.
  port.SetSyncMethod(smNone);
  std::mutex mutex;
  std::string calls;
  std::atomic<bool> release{false};
  const auto note = [&](const char* what) {
    std::lock_guard lock(mutex);
    calls += what;
  };
  port.OnRxChar = [&](TCustomComPort*, int) { note("rx "); };
  port.OnTxEmpty = [&](TCustomComPort*) {
    note("tx ");
    while (!release) std::this_thread::sleep_for(1ms);
  };
  port.OpenPort();
  port.SendText("a");
  const auto held = [&] {
    std::lock_guard lock(mutex);
    return calls == "tx ";
  };
  ASSERT_TRUE(WaitUntil(held));
  pty.WritePeer("z");
  port.SendText("y");
  std::this_thread::sleep_for(50ms);  // the input reaches the line
  release = true;
  const auto settled = [&] {
    std::lock_guard lock(mutex);
    return calls == "tx rx tx ";
  };
  EXPECT_TRUE(WaitUntil(settled)) << calls;
  port.ClosePort();
}

TEST_F(EventsOnPty, ReadingForALinkHandsTheBytesOnOnce) {
  std::string calls;
  TComLink link;
  link.rxData = [&](TCustomComPort*, const char* buffer, int count) {
    calls += "link:" + std::string(buffer, static_cast<size_t>(count)) + " ";
  };
  link.rxActive = [&](TCustomComPort*, bool on) { calls += on ? "rx+ " : "rx- "; };
  port.AttachLink(&link);
  port.SetRxCharLeavesInput(false);
  port.SetEventChar('!');
  port.OnRxBuf = [&](TCustomComPort*, const char* buffer, int count) {
    calls += "buf:" + std::string(buffer, static_cast<size_t>(count)) + " ";
  };
  port.OnRxChar = [&](TCustomComPort*, int) { calls += "char "; };
  port.OnRxFlag = [&](TCustomComPort*) { calls += "flag "; };
  port.OpenPort();
  pty.WritePeer("no");
  ASSERT_TRUE(WaitUntil([&] { return calls.find("link:no") != std::string::npos; }));
  PumpFor(100ms);
  EXPECT_EQ(calls, "rx+ rx- buf:no link:no ");  // no event character, no flag
  calls.clear();
  pty.WritePeer("hi!");
  ASSERT_TRUE(WaitUntil([&] { return calls.find("flag") != std::string::npos; }));
  EXPECT_EQ(calls, "rx+ rx- buf:hi! link:hi! flag ");  // the read leaves the queue empty
  EXPECT_EQ(port.PendingInputCount(), 0);
  port.ClosePort();
  port.DetachLink(&link);
}

// Bytes read by the program itself, outside any dispatch, still raise the event character's
// event: the event thread is woken for it.
TEST_F(EventsOnPty, TheEventCharacterInAReadOfOurOwnRaisesItsEvent) {
  int flags = 0, chars = 0;
  port.SetEventChar('!');
  port.OnRxChar = [&](TCustomComPort*, int) { ++chars; };
  port.OnRxFlag = [&](TCustomComPort*) { ++flags; };
  port.OpenPort();
  pty.WritePeer("ab!");
  ASSERT_TRUE(WaitUntil([&] { return chars == 1 && port.PendingInputCount() == 3; }));
  PumpFor(50ms);
  ASSERT_EQ(flags, 0);  // the bytes were left in the queue, unread
  char buffer[3];
  ASSERT_EQ(port.ReceiveBytes(buffer, 3), 3);
  EXPECT_TRUE(WaitUntil([&] { return flags == 1; }));
  // Bytes without it that follow raise no more.
  pty.WritePeer("c");
  ASSERT_TRUE(WaitUntil([&] { return chars == 2; }));
  ASSERT_EQ(port.ReceiveBytes(buffer, 1), 1);
  PumpFor(100ms);
  EXPECT_EQ(flags, 1);
  port.ClosePort();
}

TEST_F(EventsOnPty, ClosingWhileADispatchWaitsDoesNotDeadlock) {
  int rxChars = 0;
  port.OnRxChar = [&](TCustomComPort*, int) { ++rxChars; };
  port.OpenPort();
  pty.WritePeer("x");
  std::this_thread::sleep_for(100ms);  // the thread now waits for the main thread
  port.ClosePort();
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(rxChars, 1);  // served while closing
  EXPECT_EQ(port.EventThread(), nullptr);
}

TEST_F(EventsOnPty, AHandlerMayCloseThePort) {
  int closes = 0;
  port.OnAfterClose = [&](TCustomComPort*) { ++closes; };
  port.OnTxEmpty = [&](TCustomComPort* sender) { sender->ClosePort(); };
  port.OpenPort();
  port.SendText("bye");
  ASSERT_TRUE(WaitUntil([&] { return !port.Connected(); }));
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(port.EventThread(), nullptr);
  port.OpenPort();  // and it opens again
  EXPECT_TRUE(port.Connected());
}

TEST_F(EventsOnPty, AnErrorInAHandlerEndsTheThreadQuietly) {
  int txEmpty = 0;
  port.OnRxChar = [&](TCustomComPort*, int) { throw std::runtime_error("handler failed"); };
  port.OnTxEmpty = [&](TCustomComPort*) { ++txEmpty; };
  port.OpenPort();
  pty.WritePeer("x");
  ASSERT_TRUE(WaitUntil([&] { return port.EventThread()->Finished(); }));
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(port.SendText("still"), 5);  // writable, but no more events
  PumpFor(100ms);
  EXPECT_EQ(txEmpty, 0);
  port.ClosePort();
  port.OnRxChar = nullptr;
  port.OpenPort();  // a reopen brings the events back
  port.SendText("again");
  EXPECT_TRUE(WaitUntil([&] { return txEmpty == 1; }));
}

TEST_F(EventsOnPty, AVanishedPeerIsReportedOnceAndTheNextWriteFails) {
  std::vector<std::string> reported;
  SetErrorReporter(
      [&](const std::string& message, const std::string&) { reported.push_back(message); });
  int lost = 0;
  port.OnDeviceLost = [&](TCustomComPort*) {
    ++lost;
    EXPECT_TRUE(reported.empty());  // the handler runs before the report
  };
  TComLink lamps;
  bool tx = true, rx = true;
  lamps.txActive = [&](TCustomComPort*, bool on) { tx = on; };
  lamps.rxActive = [&](TCustomComPort*, bool on) { rx = on; };
  port.AttachLink(&lamps);
  port.OpenPort();
  pty.CloseMaster();
  ASSERT_TRUE(WaitUntil([&] { return lost == 1; }));
  PumpFor(100ms);
  SetErrorReporter(nullptr);
  EXPECT_EQ(lost, 1);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "Serial device " + pty.slavePath() + " disconnected");
  EXPECT_FALSE(tx);
  EXPECT_FALSE(rx);
  EXPECT_EQ(port.EventThread(), nullptr);
  try {
    port.SendText("lost");
    FAIL() << "the write succeeded";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.messageNumber, 2);
  }
  // The program goes on with another port.
  PtyPair other;
  port.SetPort(other.slavePath());
  port.OpenPort();
  EXPECT_FALSE(port.Reconnecting());
  EXPECT_EQ(port.SendText("ok"), 2);
  EXPECT_EQ(other.ReadPeer(2, 2s), "ok");
  port.DetachLink(&lamps);
}

TEST_F(EventsOnPty, AVanishedDeviceBehindALinkIsReopenedWhenItIsBack) {
  TempDir dir;
  const std::string link = dir.File("arm");
  std::filesystem::create_symlink(pty.slavePath(), link);
  port.SetPort(link);
  int lost = 0, back = 0;
  port.OnDeviceLost = [&](TCustomComPort*) { ++lost; };
  port.OnReconnect = [&](TCustomComPort* sender) {
    ++back;
    EXPECT_TRUE(sender->Connected());
  };
  port.OpenPort();
  pty.CloseMaster();
  // Unplugged: the path goes (a pseudo-terminal's number could be taken by another one).
  std::filesystem::remove(link);
  ASSERT_TRUE(WaitUntil([&] { return lost == 1; }));
  EXPECT_TRUE(port.Reconnecting());
  PumpFor(700ms);
  EXPECT_EQ(back, 0);

  PtyPair next;
  std::filesystem::create_symlink(next.slavePath(), link);
  ASSERT_TRUE(WaitUntil([&] { return back == 1; }));
  EXPECT_FALSE(port.Reconnecting());
  EXPECT_EQ(next.Drain(100ms), "");  // reopening sends nothing
  EXPECT_EQ(port.SendText("M"), 1);
  EXPECT_EQ(next.ReadPeer(1, 2s), "M");
  // Same settings as before the loss.
  EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 500);
}

TEST_F(EventsOnPty, WindowSyncPostsEachEventAndReportsErrors) {
  std::vector<std::string> reported;
  SetErrorReporter(
      [&](const std::string& message, const std::string&) { reported.push_back(message); });
  int txEmpty = 0;
  port.SetSyncMethod(smWindowSync);
  port.OnTxEmpty = [&](TCustomComPort*) {
    ++txEmpty;
    throw EComPort(5, 1);
  };
  port.OpenPort();
  port.SendText("a");
  ASSERT_TRUE(WaitUntil([&] { return txEmpty == 1; }));
  port.SendText("b");
  ASSERT_TRUE(WaitUntil([&] { return txEmpty == 2; }));
  // Events of the event thread's own are posted one arrival after the other.
  std::vector<int> counts;
  port.OnRxChar = [&](TCustomComPort*, int count) { counts.push_back(count); };
  pty.WritePeer("x");
  ASSERT_TRUE(WaitUntil([&] { return counts.size() == 1; }));
  pty.WritePeer("y");
  ASSERT_TRUE(WaitUntil([&] { return counts.size() == 2; }));
  EXPECT_EQ(counts[1], 2);
  SetErrorReporter(nullptr);
  EXPECT_FALSE(port.EventThread()->Finished());  // the thread goes on
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[0], "PurgeComm function failed: Operation not permitted (error 1)");
}

TEST_F(EventsOnPty, WindowSyncPostsAnInputQueueFourFifthsFull) {
  port.SetSyncMethod(smWindowSync);
  port.SetEvents(TComEvents{evRx80Full});
  port.Buffer().SetInputSize(100);
  int full = 0;
  port.OnRx80Full = [&](TCustomComPort*) { ++full; };
  port.OpenPort();
  pty.WritePeer(std::string(90, 'x'));
  EXPECT_TRUE(WaitUntil([&] { return full > 0; }));
  port.OnRx80Full = nullptr;
}

TEST_F(EventsOnPty, APtyHasNoModemLinesToWaitForOrSample) {
  port.OpenPort();
  ASSERT_NE(port.EventThread(), nullptr);
  EXPECT_EQ(port.EventThread()->LineWatch(), TComThread::lwNone);
}

TEST_F(EventsOnPty, NoSyncRunsHandlersOnTheEventThread) {
  std::atomic<int> txEmpty{0};
  std::atomic<bool> onMainThread{false};
  const auto mainThread = std::this_thread::get_id();
  port.SetSyncMethod(smNone);
  port.OnTxEmpty = [&](TCustomComPort*) {
    if (std::this_thread::get_id() == mainThread) onMainThread = true;
    ++txEmpty;
  };
  port.OpenPort();
  port.SendText("a");
  // No event processing here: the handler runs anyway.
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (txEmpty == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(2ms);
  }
  EXPECT_EQ(txEmpty, 1);
  EXPECT_FALSE(onMainThread);
}

TEST_F(EventsOnPty, WritesWakeTheEventThreadOnlyWhereItMustRunTheHandlers) {
  int txEmpty = 0;
  port.OnTxEmpty = [&](TCustomComPort*) { ++txEmpty; };
  constexpr int kWrites = 40;
  // Handlers on the main thread: each write's transmit-empty event goes there directly.
  pid_t thread = OpenAndFindEventThread(port);
  ASSERT_NE(thread, 0);
  PumpFor(50ms);
  long before = Sleeps(thread);
  for (int i = 0; i < kWrites; ++i) ASSERT_EQ(port.SendText("abcd"), 4);
  ASSERT_TRUE(WaitUntil([&] { return txEmpty == kWrites; })) << txEmpty;
  EXPECT_EQ(Sleeps(thread), before);
  port.ClosePort();

  // No transmit event wanted: nothing to hand on, nothing runs.
  TComEvents events = kAllComEvents;
  events.Remove(evTxEmpty);
  port.SetEvents(events);
  txEmpty = 0;
  thread = OpenAndFindEventThread(port);
  ASSERT_NE(thread, 0);
  PumpFor(50ms);
  before = Sleeps(thread);
  for (int i = 0; i < kWrites; ++i) port.SendText("abcd");
  PumpFor(50ms);
  EXPECT_EQ(Sleeps(thread), before);
  EXPECT_EQ(txEmpty, 0);
  port.ClosePort();

  // Handlers on the event thread: at most one wake-up per write.
  port.SetEvents(kAllComEvents);
  port.SetSyncMethod(smNone);
  std::atomic<int> onThread{0};
  port.OnTxEmpty = [&](TCustomComPort*) { ++onThread; };
  thread = OpenAndFindEventThread(port);
  ASSERT_NE(thread, 0);
  std::this_thread::sleep_for(50ms);
  before = Sleeps(thread);
  for (int i = 0; i < kWrites; ++i) port.SendText("abcd");
  ASSERT_TRUE(WaitUntil([&] { return onThread > 0; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_LE(Sleeps(thread) - before, kWrites);
  port.ClosePort();
}

TEST_F(EventsOnPty, AFailingTransmitEmptyHandlerEndsTheEventsUntilTheNextOpen) {
  int txEmpty = 0;
  port.OnTxEmpty = [&](TCustomComPort*) {
    ++txEmpty;
    throw std::runtime_error("handler failed");
  };
  port.OpenPort();
  port.SendText("a");
  ASSERT_TRUE(WaitUntil([&] { return port.EventThread()->Finished(); }));
  EXPECT_EQ(txEmpty, 1);
  EXPECT_EQ(port.SendText("still"), 5);  // writable, but no more events
  PumpFor(100ms);
  EXPECT_EQ(txEmpty, 1);
  port.ClosePort();
  port.OpenPort();
  port.SendText("again");
  EXPECT_TRUE(WaitUntil([&] { return txEmpty == 2; }));
  port.OnTxEmpty = nullptr;
}

TEST_F(EventsOnPty, ATransmitEventQueuedBeforeACloseDoesNotReachTheNextOpen) {
  int txEmpty = 0;
  port.OnTxEmpty = [&](TCustomComPort*) { ++txEmpty; };
  port.OpenPort();
  port.SendText("a");  // its event waits for the main thread's loop...
  port.ClosePort();    // ...which the close does not run
  port.OpenPort();
  PumpFor(100ms);
  EXPECT_EQ(txEmpty, 0);
  port.SendText("b");
  EXPECT_TRUE(WaitUntil([&] { return txEmpty == 1; }));
}

}  // namespace
