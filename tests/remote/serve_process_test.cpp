// Two `vantrel serve` processes on virtual arms and a Mosquitto broker of the test's own:
// commands in, replies and state out, halts, refusals, the last will and a broker restart.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "arm_settings.h"
#include "build_paths.h"
#include "child_process.h"
#include "mosquitto_broker.h"
#include "pty_pair.h"
#include "temp_dir.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string Topic(const std::string& arm, const char* leaf) {
  return "vantrel/" + arm + "/" + leaf;
}

class ServeTest : public testing::Test {
 protected:
  // `vantrel serve` as arm `arm` on `port`, with its own remembered poses.
  std::unique_ptr<ChildProcess> Serve(const std::string& arm, const std::string& port,
                                      std::map<std::string, std::string> changes = {}) {
    changes.emplace("mqttHost", "127.0.0.1");
    changes.emplace("mqttPort", std::to_string(broker_.port()));
    changes.emplace("mqttControl", "1");
    changes.emplace("mqttArm", arm);
    const std::string settings = dir_.File(arm + ".ini");
    WriteFile(settings, ArmSettingsText(port, changes));
    ::setenv("XDG_STATE_HOME", dir_.File(arm).c_str(), 1);
    auto child = std::make_unique<ChildProcess>(
        ProgramPath(), std::vector<std::string>{"serve", "--settings", settings});
    EXPECT_TRUE(probe_.WaitFor(Topic(arm, "online"), "true", 10s).arrived != Clock::time_point{})
        << child->err;
    return child;
  }

  // Sends `command` and waits for its reply.
  std::string Ask(const std::string& arm, const std::string& id, const std::string& command,
                  std::chrono::milliseconds timeout = 10s) {
    const size_t from = probe_.Messages().size();
    probe_.Publish(Topic(arm, "cmd"), "{\"id\":\"" + id + "\"," + command + "}");
    return probe_.WaitFor(Topic(arm, "reply"), "\"id\":\"" + id + "\"", timeout, from).payload;
  }

  static std::string Ok(const std::string& id) { return "{\"id\":\"" + id + "\",\"ok\":true}"; }

  // Whether a message holding `part` comes on `arm`'s `leaf` topic in time.
  bool Sees(const std::string& arm, const char* leaf, const std::string& part,
            std::chrono::milliseconds timeout = 5s, size_t from = 0) {
    return !probe_.WaitFor(Topic(arm, leaf), part, timeout, from).payload.empty();
  }

  // The latest state published for `arm`.
  std::string State(const std::string& arm) {
    std::string last;
    for (const MqttMessage& m : probe_.Messages()) {
      if (m.topic == Topic(arm, "state")) last = m.payload;
    }
    return last;
  }

  static int Stop(ChildProcess& child) {
    ::kill(child.pid(), SIGTERM);
    return child.Wait(10s);
  }

  TempDir dir_;
  MosquittoBroker broker_;
  MqttProbe probe_{broker_.port(), "vantrel/#"};
};

TEST_F(ServeTest, TwoArmsMoveGoHomeAndPlayEachAnsweringWhenDone) {
  auto left = Serve("left", "sim");
  auto right = Serve("right", "sim", {{"motion", "smooth"}});
  EXPECT_EQ(Ask("left", "1", "\"do\":\"move\",\"pose\":[100,110,120,130,140,150]"), Ok("1"));
  EXPECT_EQ(Ask("right", "2", "\"do\":\"move\",\"xyz\":[15,5,0]"), Ok("2"));
  EXPECT_TRUE(Sees("left", "state", "\"pose\":[100,110,120,130,140,150]", 2s));
  EXPECT_EQ(Ask("right", "3",
                "\"do\":\"play\",\"script\":\"M;1;90\\r\\nM;2;80\\r\\n\","
                "\"speed\":400,\"repeat\":2"),
            Ok("3"));
  EXPECT_TRUE(Sees("right", "state", "\"playing\":true,\"line\":", 2s));
  EXPECT_EQ(Ask("left", "4", "\"do\":\"home\""), Ok("4"));
  EXPECT_EQ(Ask("left", "5", "\"do\":\"speed\",\"percent\":50"), Ok("5"));
  EXPECT_TRUE(Sees("left", "state", "\"speed\":50", 2s));

  EXPECT_EQ(Stop(*left), 0) << left->err;
  EXPECT_EQ(Stop(*right), 0) << right->err;
  EXPECT_NE(left->out.find("servos at 127 127 127 127 127 127"), std::string::npos) << left->out;
  EXPECT_NE(right->out.find("servos at 90 80 "), std::string::npos) << right->out;
  EXPECT_EQ(probe_.WaitFor(Topic("left", "online"), "false", 2s).payload, "false");
}

TEST_F(ServeTest, RefusalsAnswerWithTheReasonAndMoveNothing) {
  auto arm = Serve("solo", "sim", {{"motion", "smooth"}, {"sv3Speed", "20"}});
  const std::string reply = "{\"id\":\"r\",\"ok\":false,\"error\":";
  EXPECT_EQ(Ask("solo", "r", "\"do\":\"dance\""), reply + "\"'dance' is not a command\"}");
  EXPECT_EQ(Ask("solo", "r", "\"do\":\"home\",\"now\":1"), reply + "\"'home' takes no 'now'\"}");
  EXPECT_EQ(Ask("solo", "r", "\"do\":\"move\",\"xyz\":[500,0,0]").rfind(reply, 0), 0u);
  EXPECT_EQ(
      Ask("solo", "r", "\"do\":\"play\",\"script\":\"M;1;300\\r\\n\""),
      reply + "\"1001 :TRobopath: load - the script sent, line 1: value 300 is outside 0..255\"}");
  for (const auto& [payload, part] : std::map<std::string, std::string>{
           {"{\"do\":", "not JSON"},
           {std::string(1024 * 1024 + 1, ' ') + "{\"do\":\"home\"}",
            "{\"id\":null,\"ok\":false,\"error\":\"the command is larger than 1048576 bytes\"}"}}) {
    const size_t from = probe_.Messages().size();
    probe_.Publish(Topic("solo", "cmd"), payload);
    EXPECT_TRUE(Sees("solo", "reply", part, 5s, from)) << part;
  }

  // One motion at a time: a second is refused while the base turns.
  probe_.Publish(Topic("solo", "cmd"),
                 "{\"id\":\"long\",\"do\":\"move\",\"pose\":[127,127,227,127,127,127]}");
  ASSERT_TRUE(Sees("solo", "state", "\"moving\":true"));
  EXPECT_EQ(Ask("solo", "b", "\"do\":\"home\""),
            "{\"id\":\"b\",\"ok\":false,\"error\":\"busy with another motion\"}");
  EXPECT_EQ(Ask("solo", "h", "\"do\":\"halt\""), Ok("h"));
  EXPECT_TRUE(Sees("solo", "reply", "{\"id\":\"long\",\"ok\":false,\"error\":\"halted\"}", 2s));
  EXPECT_EQ(Stop(*arm), 0) << arm->err;
  // Nothing else moved: servos 1, 2, 4, 5, 6 never left home.
  EXPECT_NE(arm->out.find("servos at 127 127 "), std::string::npos) << arm->out;

  auto watcher = Serve("watcher", "sim", {{"mqttControl", "0"}});
  EXPECT_EQ(
      Ask("watcher", "w", "\"do\":\"home\""),
      "{\"id\":\"w\",\"ok\":false,\"error\":\"this arm takes no commands (mqttControl is 0)\"}");
  EXPECT_EQ(Stop(*watcher), 0);
  EXPECT_NE(watcher->out.find("sim: 0 frames"), std::string::npos) << watcher->out;
}

// Frames read off a pseudo-terminal line, each with the time it came.
class LineWatch {
 public:
  explicit LineWatch(PtyPair& pty) : pty_(pty), thread_([this] { Run(); }) {}
  ~LineWatch() {
    done_ = true;
    thread_.join();
  }
  std::vector<Clock::time_point> Arrivals() {
    std::lock_guard lock(mutex_);
    return arrivals_;
  }

 private:
  void Run() {
    while (!done_) {
      pollfd p{pty_.master(), POLLIN, 0};
      if (::poll(&p, 1, 5) <= 0) continue;
      char bytes[256];
      const ssize_t n = ::read(pty_.master(), bytes, sizeof bytes);
      std::lock_guard lock(mutex_);
      for (ssize_t i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(bytes[i]) == 0xFF) arrivals_.push_back(Clock::now());
      }
    }
  }
  PtyPair& pty_;
  std::atomic<bool> done_{false};
  std::mutex mutex_;
  std::vector<Clock::time_point> arrivals_;
  std::thread thread_;
};

TEST_F(ServeTest, AHaltEndsALongMoveWithinOneTick) {
  PtyPair pty;
  LineWatch line(pty);
  auto arm = Serve("slow", pty.slavePath(),
                   {{"motion", "smooth"}, {"sv3Speed", "20"}, {"mqttMaxAge", "1"}});
  probe_.Publish(Topic("slow", "cmd"),
                 "{\"id\":\"m\",\"do\":\"move\",\"pose\":[127,127,227,127,127,127]}");
  ASSERT_TRUE(Sees("slow", "state", "\"moving\":true"));
  // The halt comes once the arm is on its way: at this speed the first whole step takes a
  // while, longer on a busy machine.
  for (const auto until = Clock::now() + 5s; line.Arrivals().empty() && Clock::now() < until;) {
    std::this_thread::sleep_for(10ms);
  }
  std::this_thread::sleep_for(100ms);
  const size_t from = probe_.Messages().size();
  probe_.Publish(Topic("slow", "cmd"), R"({"id":"h","do":"halt"})");
  const MqttMessage taken = probe_.WaitFor(Topic("slow", "reply"), R"("id":"h")", 5s, from);
  EXPECT_EQ(taken.payload, Ok("h"));
  std::this_thread::sleep_for(500ms);
  const auto arrivals = line.Arrivals();
  ASSERT_FALSE(arrivals.empty());
  // The answer goes out as the halt is taken; the frame of the tick in progress (20 ms) may
  // still follow it, nothing after (the rest is slack for a busy machine).
  EXPECT_LT(arrivals.back() - taken.arrived, 40ms);

  // A command that waited past mqttMaxAge, here behind a stalled line, is refused, not run.
  const int slave = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_EQ(::tcflow(slave, TCOOFF), 0);
  const size_t stalled = probe_.Messages().size();
  probe_.Publish(Topic("slow", "cmd"), R"({"id":"s","do":"play","script":"M;1;10\r\n"})");
  ASSERT_TRUE(Sees("slow", "state", "\"moving\":true", 5s, stalled));
  std::this_thread::sleep_for(150ms);  // its frame is held up
  probe_.Publish(Topic("slow", "cmd"), R"({"id":"old","do":"home"})");
  std::this_thread::sleep_for(1200ms);
  ::tcflow(slave, TCOON);
  ::close(slave);
  const std::string old = probe_.WaitFor(Topic("slow", "reply"), R"("id":"old")", 5s).payload;
  EXPECT_NE(old.find("mqttMaxAge"), std::string::npos) << old;
  EXPECT_TRUE(Sees("slow", "reply", R"("id":"s")"));

  // A pause or an operator's wait in a script ends as soon as the halt comes; the line after
  // it is never sent. A wait sends nothing while it holds, and a continue takes it up.
  struct Held {
    const char* script;
    const char* state;
    const char* end;  // the command that ends the hold
    const char* reply;
  };
  const Held holds[] = {
      {R"(M;1;130\r\nP;0;255\r\nM;1;10\r\n)", "\"line\":2", "halt",
       R"("ok":false,"error":"halted")"},
      {R"(M;1;130\r\nW;0;0\r\nM;1;10\r\n)", "\"line\":2,\"waiting\":true", "halt",
       R"("ok":false,"error":"halted")"},
      {R"(M;1;130\r\nW;0;0\r\nM;1;10\r\n)", "\"line\":2,\"waiting\":true", "continue",
       R"("ok":true)"},
  };
  for (const Held& hold : holds) {
    SCOPED_TRACE(std::string(hold.script) + " " + hold.end);
    const size_t from = probe_.Messages().size();
    probe_.Publish(Topic("slow", "cmd"),
                   std::string(R"({"id":"p","do":"play","script":")") + hold.script + "\"}");
    ASSERT_TRUE(Sees("slow", "state", hold.state, 5s, from));
    const size_t frames = line.Arrivals().size();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(line.Arrivals().size(), frames);
    EXPECT_EQ(Ask("slow", "e", std::string("\"do\":\"") + hold.end + "\""), Ok("e"));
    EXPECT_TRUE(Sees("slow", "reply", std::string(R"({"id":"p",)") + hold.reply + "}", 5s, from));
    if (std::string(hold.end) == "halt") {
      std::this_thread::sleep_for(100ms);
      EXPECT_EQ(line.Arrivals().size(), frames);
    }
  }
  EXPECT_EQ(Ask("slow", "c", "\"do\":\"continue\""),
            R"({"id":"c","ok":false,"error":"Nothing is waiting to be continued"})");
  EXPECT_EQ(Stop(*arm), 0) << arm->err;
}

TEST_F(ServeTest, TheLastWillSaysOfflineAfterAKill) {
  auto arm = Serve("gone", "sim");
  ::kill(arm->pid(), SIGKILL);
  EXPECT_TRUE(Sees("gone", "online", "false"));
}

TEST_F(ServeTest, ABrokerRestartIsSaidOnceAndReplaysNoCommand) {
  auto arm = Serve("again", "sim");
  EXPECT_EQ(Ask("again", "before", "\"do\":\"move\",\"pose\":[90,90,90,90,90,90]"), Ok("before"));
  broker_.Stop();
  std::this_thread::sleep_for(3s);  // several tries fail meanwhile
  broker_.Start();
  MqttProbe probe(broker_.port(), "vantrel/#");
  // Reconnected: online and the state are retained again.
  EXPECT_NE(probe.WaitFor(Topic("again", "online"), "true", 40s).payload, "");
  EXPECT_NE(probe.WaitFor(Topic("again", "state"), "[90,90,90,90,90,90]", 5s).payload, "");
  probe.Publish(Topic("again", "cmd"), "{\"id\":\"after\",\"do\":\"home\"}");
  EXPECT_NE(probe.WaitFor(Topic("again", "reply"), "\"after\"", 10s).payload, "");
  for (const MqttMessage& m : probe.Messages()) {
    EXPECT_EQ(m.payload.find("before"), std::string::npos) << m.topic << " " << m.payload;
  }
  EXPECT_EQ(Stop(*arm), 0);
  const size_t lost = arm->err.find("lost the broker");
  ASSERT_NE(lost, std::string::npos) << arm->err;
  EXPECT_EQ(arm->err.find("lost the broker", lost + 1), std::string::npos) << arm->err;
}

}  // namespace
