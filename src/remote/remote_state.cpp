#include "remote_state.h"

#include "json_value.h"

namespace {

std::string List(const std::array<int, 6>& values) {
  std::string text = "[";
  for (size_t i = 0; i < values.size(); ++i) {
    text += (i ? "," : "") + std::to_string(values[i]);
  }
  return text + "]";
}

const char* Bool(bool value) {
  return value ? "true" : "false";
}

}  // namespace

std::string StateJson(const RemoteState& s) {
  return std::string("{\"pose\":") + List(s.pose) +
         ",\"poseRead\":" + (s.poseRead ? List(*s.poseRead) : "null") +
         ",\"connected\":" + Bool(s.connected) + ",\"moving\":" + Bool(s.moving) +
         ",\"playing\":" + Bool(s.playing) +
         ",\"line\":" + (s.line > 0 ? std::to_string(s.line) : "null") +
         ",\"waiting\":" + Bool(s.waiting) + ",\"speed\":" + std::to_string(s.speed) +
         ",\"error\":" + (s.error.empty() ? "null" : JsonQuote(s.error)) + "}";
}

std::string ReplyJson(const std::string& id, const std::string& error) {
  if (error.empty()) return "{\"id\":" + id + ",\"ok\":true}";
  return "{\"id\":" + id + ",\"ok\":false,\"error\":" + JsonQuote(error) + "}";
}
