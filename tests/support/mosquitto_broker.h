// A real Mosquitto broker of the test's own, on a free loopback port, and a small client that
// records what arrives on the topics it follows.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "temp_dir.h"

class MosquittoBroker {
 public:
  // Starts `mosquitto -c <conf>` on 127.0.0.1 and a port no one listens on, and waits until
  // it takes connections; throws std::runtime_error when it does not come up.
  MosquittoBroker();
  ~MosquittoBroker();
  MosquittoBroker(const MosquittoBroker&) = delete;
  MosquittoBroker& operator=(const MosquittoBroker&) = delete;

  int port() const { return port_; }
  void Stop();
  // Starts it again on the same port, with nothing retained.
  void Start();

 private:
  TempDir dir_;
  int port_ = 0;
  pid_t pid_ = -1;
};

struct MqttMessage {
  std::string topic;
  std::string payload;
  bool retained = false;
  std::chrono::steady_clock::time_point arrived;
};

class MqttProbe {
 public:
  // Connects to the broker on 127.0.0.1:`port` and follows `filter` ("vantrel/#").
  MqttProbe(int port, const std::string& filter);
  ~MqttProbe();
  MqttProbe(const MqttProbe&) = delete;
  MqttProbe& operator=(const MqttProbe&) = delete;

  void Publish(const std::string& topic, const std::string& payload);
  // The first message on `topic` from message number `from` on whose payload contains
  // `part`, waiting up to `timeout`; an empty message when none came.
  MqttMessage WaitFor(const std::string& topic, const std::string& part,
                      std::chrono::milliseconds timeout, size_t from = 0);
  // Every message so far, in order of arrival.
  std::vector<MqttMessage> Messages();

 private:
  struct Callbacks;
  struct mosquitto* client_ = nullptr;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<MqttMessage> messages_;
  bool subscribed_ = false;
};
