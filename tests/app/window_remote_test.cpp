// The window on a real broker: its state published, commands taken between its events.
#include <gtest/gtest.h>

#include <QApplication>
#include <thread>

#include "mosquitto_broker.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

// Lets the window run until `topic` has carried `part`.
std::string Await(MqttProbe& probe, const std::string& topic, const std::string& part) {
  for (int i = 0; i < 500; ++i) {
    QCoreApplication::processEvents();
    const MqttMessage m = probe.WaitFor(topic, part, 10ms);
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
}

}  // namespace
