#include "mosquitto_broker.h"

#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

using namespace std::chrono_literals;

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port the system just handed out and took back: free, as far as anyone can say.
int FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("no free port");
  }
  ::close(s);
  return ntohs(address.sin_port);
}

bool Accepts(int port) {
  const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = Loopback(port);
  const bool ok = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(s);
  return ok;
}

}  // namespace

MosquittoBroker::MosquittoBroker() : port_(FreePort()) {
  WriteFile(dir_.File("mosquitto.conf"),
            "listener " + std::to_string(port_) +
                " 127.0.0.1\nallow_anonymous true\n"
                "persistence false\nlog_dest none\nset_tcp_nodelay true\n");
  Start();
}

MosquittoBroker::~MosquittoBroker() {
  Stop();
}

void MosquittoBroker::Start() {
  std::string program = "mosquitto";
  std::string c = "-c";
  std::string conf = dir_.File("mosquitto.conf");
  char* argv[] = {program.data(), c.data(), conf.data(), nullptr};
  // Debian keeps it in sbin, which an ordinary user's PATH may lack.
  const char* path =
      ::access("/usr/sbin/mosquitto", X_OK) == 0 ? "/usr/sbin/mosquitto" : "mosquitto";
  if (posix_spawnp(&pid_, path, nullptr, nullptr, argv, environ) != 0) {
    throw std::runtime_error("cannot start mosquitto");
  }
  for (int i = 0; i < 500; ++i) {
    if (Accepts(port_)) return;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("mosquitto ended at start");
    }
    std::this_thread::sleep_for(10ms);
  }
  Stop();
  throw std::runtime_error("mosquitto does not take connections");
}

void MosquittoBroker::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

struct MqttProbe::Callbacks {
  static void Connected(mosquitto*, void* self, int) {
    auto& probe = *static_cast<MqttProbe*>(self);
    std::lock_guard lock(probe.mutex_);
    probe.subscribed_ = false;
  }
  static void Subscribed(mosquitto*, void* self, int, int, const int*) {
    auto& probe = *static_cast<MqttProbe*>(self);
    std::lock_guard lock(probe.mutex_);
    probe.subscribed_ = true;
    probe.arrived_.notify_all();
  }
  static void Received(mosquitto*, void* self, const mosquitto_message* m) {
    auto& probe = *static_cast<MqttProbe*>(self);
    MqttMessage message{
        m->topic,
        std::string(static_cast<const char*>(m->payload), static_cast<size_t>(m->payloadlen)),
        m->retain, std::chrono::steady_clock::now()};
    std::lock_guard lock(probe.mutex_);
    probe.messages_.push_back(std::move(message));
    probe.arrived_.notify_all();
  }
};

MqttProbe::MqttProbe(int port, const std::string& filter) {
  mosquitto_lib_init();
  client_ = mosquitto_new(nullptr, true, this);
  mosquitto_connect_callback_set(client_, Callbacks::Connected);
  mosquitto_subscribe_callback_set(client_, Callbacks::Subscribed);
  mosquitto_message_callback_set(client_, Callbacks::Received);
  if (mosquitto_connect(client_, "127.0.0.1", port, 10) != MOSQ_ERR_SUCCESS) {
    throw std::runtime_error("the probe cannot connect");
  }
  mosquitto_subscribe(client_, nullptr, filter.c_str(), 1);
  mosquitto_loop_start(client_);
  std::unique_lock lock(mutex_);
  if (!arrived_.wait_for(lock, 5s, [&] { return subscribed_; })) {
    throw std::runtime_error("the probe cannot subscribe");
  }
}

MqttProbe::~MqttProbe() {
  mosquitto_disconnect(client_);
  mosquitto_loop_stop(client_, false);
  mosquitto_destroy(client_);
}

void MqttProbe::Publish(const std::string& topic, const std::string& payload) {
  mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                    payload.data(), 1, false);
}

MqttMessage MqttProbe::WaitFor(const std::string& topic, const std::string& part,
                               std::chrono::milliseconds timeout, size_t from) {
  std::unique_lock lock(mutex_);
  MqttMessage found;
  arrived_.wait_for(lock, timeout, [&] {
    for (size_t i = from; i < messages_.size(); ++i) {
      if (messages_[i].topic == topic && messages_[i].payload.find(part) != std::string::npos) {
        found = messages_[i];
        return true;
      }
    }
    return false;
  });
  return found;
}

std::vector<MqttMessage> MqttProbe::Messages() {
  std::lock_guard lock(mutex_);
  return messages_;
}
