// The arm's connection to an MQTT broker (libmosquitto on a thread of its own): the retained
// state and online flag out, commands in, replies out. The link reconnects by itself with a
// growing pause; commands that came before a loss are dropped with it, never run later.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct BrokerSettings {
  std::string host;  // empty: no broker
  int port = 1883;
  std::string arm;  // the topics' middle part: vantrel/<arm>/...
  std::string user;
  std::string password;
  std::string caFile;  // TLS when set
  bool operator==(const BrokerSettings&) const = default;
};

// "vantrel/<arm>/<leaf>"
std::string ArmTopic(const std::string& arm, const char* leaf);

class BrokerLink {
 public:
  struct Message {
    std::string payload;
    size_t size = 0;  // the payload's size; a payload too large to read is not kept
    std::chrono::steady_clock::time_point arrived;
  };

  // Starts connecting at once; raises std::runtime_error with the reason when the settings
  // cannot be used (a CA file that cannot be read, say).
  explicit BrokerLink(BrokerSettings settings);
  // Says "offline" and disconnects.
  ~BrokerLink();
  BrokerLink(const BrokerLink&) = delete;
  BrokerLink& operator=(const BrokerLink&) = delete;

  // Readable while messages or notices wait; Take and TakeNotices empty it.
  int WakeFd() const { return wake_; }
  std::vector<Message> Take();
  // What to tell the operator once each: connected, lost and trying again.
  std::vector<std::string> TakeNotices();
  bool Connected() const;

  // Retained; published again after each reconnection.
  void PublishState(const std::string& json);
  void Reply(const std::string& json);

  const BrokerSettings& settings() const { return settings_; }

 private:
  struct Callbacks;
  void Wake();

  BrokerSettings settings_;
  std::string stateTopic_, onlineTopic_, cmdTopic_, replyTopic_;
  struct mosquitto* client_ = nullptr;
  int wake_ = -1;
  mutable std::mutex mutex_;
  std::vector<Message> inbox_;
  std::vector<std::string> notices_;
  std::string lastState_;
  bool connected_ = false;
  bool lost_ = false;  // a loss was said and no reconnection since
};
