// What an arm tells the broker about itself, and the replies to commands.
#pragma once

#include <array>
#include <optional>
#include <string>

struct RemoteState {
  std::array<int, 6> pose{127, 127, 127, 127, 127, 127};  // as last sent
  std::optional<std::array<int, 6>> poseRead;             // as the board reports it
  bool connected = false;
  bool moving = false;
  bool playing = false;
  int line = 0;          // the script line playing, from 1; 0 when none
  bool waiting = false;  // a W line holds the script until a continue
  int speed = 100;
  std::string error;  // the last refusal or failure; empty when none

  bool operator==(const RemoteState&) const = default;
};

// {"pose":[..],"poseRead":null,"connected":true,"moving":false,"playing":false,"line":null,
//  "waiting":false,"speed":100,"error":null}
std::string StateJson(const RemoteState& state);

// {"id":<id>,"ok":true}, or with "ok":false and "error":"<error>" when `error` is not empty.
std::string ReplyJson(const std::string& id, const std::string& error = {});
