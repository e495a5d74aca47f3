// The window on a real broker: its state published, commands taken between its events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <thread>

#include "mosquitto_broker.h"
#include "options_form.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

// Lets the window run until `topic` has carried `part` from message number `from` on.
std::string Await(MqttProbe& probe, const std::string& topic, const std::string& part,
                  size_t from = 0) {
  for (int i = 0; i < 500; ++i) {
    QCoreApplication::processEvents();
    const MqttMessage m = probe.WaitFor(topic, part, 10ms, from);
    if (!m.payload.empty()) return m.payload;
  }
  return {};
}

TEST(WindowOnBroker, PublishesItsArmAndMovesItOnCommand) {
  MosquittoBroker broker;
  MqttProbe probe(broker.port(), "vantrel/#");
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h, {{"mqttHost", "127.0.0.1"},
                                 {"mqttPort", std::to_string(broker.port())},
                                 {"mqttArm", "desk"},
                                 {"mqttControl", "1"},
                                 {"mqttMaxAge", "1"}});
  ASSERT_EQ(Await(probe, "vantrel/desk/online", "true"), "true");
  EXPECT_NE(Await(probe, "vantrel/desk/state", "\"connected\":true"), "");

  probe.Publish("vantrel/desk/cmd", R"({"id":1,"do":"move","pose":[100,110,120,130,140,150]})");
  EXPECT_EQ(Await(probe, "vantrel/desk/reply", "\"id\":1"), R"({"id":1,"ok":true})");
  EXPECT_EQ(h.pty.ReadPeer(24, 2s), Frame(1, 100) + Frame(2, 110) + Frame(3, 120) + Frame(4, 130) +
                                        Frame(5, 140) + Frame(6, 150));
  EXPECT_EQ(w.state.position[6], 150);
  EXPECT_NE(Await(probe, "vantrel/desk/state", "[100,110,120,130,140,150]"), "");

  // While the window plays its own script, the broker's motions wait their turn.
  w.state.runState = 2;
  probe.Publish("vantrel/desk/cmd", R"({"id":2,"do":"home"})");
  EXPECT_EQ(Await(probe, "vantrel/desk/reply", "\"id\":2"),
            R"({"id":2,"ok":false,"error":"busy with another motion"})");
  w.state.runState = 1;

  // A command that waited past mqttMaxAge while the window was busy elsewhere is not run.
  probe.Publish("vantrel/desk/cmd", R"({"id":3,"do":"home"})");
  std::this_thread::sleep_for(1200ms);
  EXPECT_NE(Await(probe, "vantrel/desk/reply", "\"id\":3").find("longer than mqttMaxAge"),
            std::string::npos);
  EXPECT_EQ(h.pty.Drain(50ms), "");

  // A script sent holds at its W line until the broker continues or halts it, or the window
  // stops it (no command: Stop in the window).
  struct Ending {
    const char* command;
    const char* reply;
    int servo1;
  };
  const Ending endings[] = {{"continue", R"({"id":5,"ok":true})", 80},
                            {"halt", R"({"id":5,"ok":false,"error":"halted"})", 90},
                            {nullptr, R"({"id":5,"ok":false,"error":"halted"})", 90}};
  for (const Ending& ending : endings) {
    SCOPED_TRACE(ending.command ? ending.command : "Stop");
    const size_t from = probe.Messages().size();
    bool waited = false;
    std::thread operatorThread([&] {
      // Sent even when no wait was seen, so that a failing run still ends.
      waited = !probe.WaitFor("vantrel/desk/state", "\"waiting\":true", 5s, from).payload.empty();
      if (!ending.command) {
        QMetaObject::invokeMethod(
            &w, [&w] { w.btStopClick(); }, Qt::QueuedConnection);
        return;
      }
      probe.Publish("vantrel/desk/cmd", std::string(R"({"id":6,"do":")") + ending.command + "\"}");
    });
    probe.Publish("vantrel/desk/cmd",
                  R"({"id":5,"do":"play","script":"M;1;90\r\nW;0;0\r\nM;1;80\r\n"})");
    const std::string reply = Await(probe, "vantrel/desk/reply", "\"id\":5", from);
    operatorThread.join();
    EXPECT_TRUE(waited);
    EXPECT_EQ(reply, ending.reply);
    EXPECT_EQ(w.state.position[1], ending.servo1);
    if (ending.command)
      EXPECT_NE(probe.WaitFor("vantrel/desk/reply", R"({"id":6,"ok":true})", 1s, from).payload, "");
  }

  // A halt that comes with a play, before the window looks, ends it before anything is sent.
  h.pty.Drain(50ms);
  size_t from = probe.Messages().size();
  probe.Publish("vantrel/desk/cmd", R"({"id":7,"do":"play","script":"M;1;70\r\n"})");
  probe.Publish("vantrel/desk/cmd", R"({"id":8,"do":"halt"})");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(Await(probe, "vantrel/desk/reply", "\"id\":7", from),
            R"({"id":7,"ok":false,"error":"halted"})");
  EXPECT_EQ(h.pty.Drain(50ms), "");

  // The link follows Options: another arm name, then no broker.
  for (const auto& [key, value, gone, came] :
       {std::tuple{"mqttArm", "bench", "desk", "bench"}, {"mqttHost", "", "bench", ""}}) {
    from = probe.Messages().size();
    w.options()->WriteOption(key, value);
    QTimer::singleShot(0, w.options(), &QDialog::accept);
    w.optionsClick();
    EXPECT_EQ(Await(probe, std::string("vantrel/") + gone + "/online", "false", from), "false");
    if (*came)
      EXPECT_EQ(Await(probe, std::string("vantrel/") + came + "/online", "true", from), "true");
  }
}

}  // namespace
