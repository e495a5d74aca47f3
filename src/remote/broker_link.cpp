#include "broker_link.h"

#include <mosquitto.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <mutex>
#include <stdexcept>

#include "remote_command.h"
#include "translate.h"

namespace {

constexpr int kQos = 1;
constexpr int kKeepAliveSeconds = 10;
// The pause before a reconnection grows from one second to half a minute.
constexpr unsigned kFirstRetrySeconds = 1;
constexpr unsigned kLastRetrySeconds = 30;

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string Where(const BrokerSettings& s) {
  return s.host + ":" + std::to_string(s.port);
}

}  // namespace

std::string ArmTopic(const std::string& arm, const char* leaf) {
  return "vantrel/" + arm + "/" + leaf;
}

struct BrokerLink::Callbacks {
  static void Connected(mosquitto* client, void* self, int rc) {
    auto& link = *static_cast<BrokerLink*>(self);
    if (rc != 0) return;  // refused: the loop tries again after its pause
    mosquitto_subscribe(client, nullptr, link.cmdTopic_.c_str(), kQos);
    mosquitto_publish(client, nullptr, link.onlineTopic_.c_str(), 4, "true", kQos, true);
    std::string state;
    {
      std::lock_guard lock(link.mutex_);
      link.connected_ = true;
      link.lost_ = false;
      state = link.lastState_;
      link.notices_.push_back(TrFormat("connected to the broker {1} as arm {2}",
                                       {Where(link.settings_), link.settings_.arm}));
    }
    // A restarted broker may have lost what was retained.
    if (!state.empty()) {
      mosquitto_publish(client, nullptr, link.stateTopic_.c_str(), static_cast<int>(state.size()),
                        state.data(), kQos, true);
    }
    link.Wake();
  }

  static void Disconnected(mosquitto*, void* self, int rc) {
    auto& link = *static_cast<BrokerLink*>(self);
    {
      std::lock_guard lock(link.mutex_);
      const bool wasConnected = link.connected_;
      link.connected_ = false;
      // Commands from before the loss are not run after it.
      link.inbox_.clear();
      if (rc == 0 || link.lost_ || !wasConnected) return;
      link.lost_ = true;
      link.notices_.push_back(TrFormat("lost the broker {1} ({2}); trying again",
                                       {Where(link.settings_), mosquitto_strerror(rc)}));
    }
    link.Wake();
  }

  static void Received(mosquitto*, void* self, const mosquitto_message* m) {
    auto& link = *static_cast<BrokerLink*>(self);
    Message message;
    message.size = static_cast<size_t>(m->payloadlen);
    message.arrived = std::chrono::steady_clock::now();
    if (message.size <= kMaxCommandBytes) {
      message.payload.assign(static_cast<const char*>(m->payload), message.size);
    }
    {
      std::lock_guard lock(link.mutex_);
      link.inbox_.push_back(std::move(message));
    }
    link.Wake();
  }
};

BrokerLink::BrokerLink(BrokerSettings settings)
    : settings_(std::move(settings)),
      stateTopic_(ArmTopic(settings_.arm, "state")),
      onlineTopic_(ArmTopic(settings_.arm, "online")),
      cmdTopic_(ArmTopic(settings_.arm, "cmd")),
      replyTopic_(ArmTopic(settings_.arm, "reply")) {
  InitLibrary();
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) throw std::runtime_error("eventfd");
  const std::string id = "vantrel-" + settings_.arm + "-" + std::to_string(::getpid());
  client_ = mosquitto_new(id.c_str(), true, this);
  if (!client_) {
    ::close(wake_);
    throw std::runtime_error(Tr("Cannot set up the broker connection"));
  }
  auto fail = [&](int rc, const std::string& what) {
    if (rc == MOSQ_ERR_SUCCESS) return;
    mosquitto_destroy(client_);
    ::close(wake_);
    throw std::runtime_error(what + ": " + mosquitto_strerror(rc));
  };
  mosquitto_connect_callback_set(client_, Callbacks::Connected);
  mosquitto_disconnect_callback_set(client_, Callbacks::Disconnected);
  mosquitto_message_callback_set(client_, Callbacks::Received);
  mosquitto_reconnect_delay_set(client_, kFirstRetrySeconds, kLastRetrySeconds, true);
  fail(mosquitto_will_set(client_, onlineTopic_.c_str(), 5, "false", kQos, true),
       Tr("Cannot set the broker's last will"));
  if (!settings_.user.empty()) {
    fail(mosquitto_username_pw_set(
             client_, settings_.user.c_str(),
             settings_.password.empty() ? nullptr : settings_.password.c_str()),
         Tr("Cannot use the broker's user name"));
  }
  if (!settings_.caFile.empty()) {
    fail(mosquitto_tls_set(client_, settings_.caFile.c_str(), nullptr, nullptr, nullptr, nullptr),
         TrFormat("Cannot use the CA file {1}", {settings_.caFile}));
  }
  // A broker not there yet is not an error: the loop keeps trying.
  mosquitto_connect_async(client_, settings_.host.c_str(), settings_.port, kKeepAliveSeconds);
  fail(mosquitto_loop_start(client_), Tr("Cannot start the broker connection"));
}

BrokerLink::~BrokerLink() {
  if (Connected()) {
    int sent = 0;
    mosquitto_publish(client_, &sent, onlineTopic_.c_str(), 5, "false", kQos, true);
  }
  mosquitto_disconnect(client_);
  mosquitto_loop_stop(client_, false);
  mosquitto_destroy(client_);
  ::close(wake_);
}

void BrokerLink::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
}

std::vector<BrokerLink::Message> BrokerLink::Take() {
  uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = ::read(wake_, &count, sizeof count);
  std::lock_guard lock(mutex_);
  std::vector<Message> taken;
  taken.swap(inbox_);
  return taken;
}

std::vector<std::string> BrokerLink::TakeNotices() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> taken;
  taken.swap(notices_);
  return taken;
}

bool BrokerLink::Connected() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

void BrokerLink::PublishState(const std::string& json) {
  {
    std::lock_guard lock(mutex_);
    lastState_ = json;
  }
  mosquitto_publish(client_, nullptr, stateTopic_.c_str(), static_cast<int>(json.size()),
                    json.data(), kQos, true);
}

void BrokerLink::Reply(const std::string& json) {
  mosquitto_publish(client_, nullptr, replyTopic_.c_str(), static_cast<int>(json.size()),
                    json.data(), kQos, false);
}
