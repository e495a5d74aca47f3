// Joystick 0 through SDL2's joystick subsystem, without SDL video, so it lives beside Qt.
#pragma once

#include <SDL_joystick.h>

#include <chrono>
#include <optional>

#include "joy_mapping.h"

class JoystickDevice {
 public:
  JoystickDevice();
  ~JoystickDevice();
  JoystickDevice(const JoystickDevice&) = delete;
  JoystickDevice& operator=(const JoystickDevice&) = delete;

  // The current position and buttons, or nothing when no joystick is attached, the joystick
  // subsystem could not start, or the stick has fewer than two axes. A stick plugged in
  // after start, or after the one in use was pulled, is opened here.
  std::optional<JoystickReading> Read();

  // False when SDL's joystick subsystem could not start; every Read is empty then.
  bool ready() const { return ready_; }

  // Without a stick, how often Read looks for one: a stick plugged in is noticed this long
  // after at most.
  static constexpr std::chrono::milliseconds kLookForSticksEvery{250};

 private:
  SDL_Joystick* Current();

  bool ready_ = false;
  std::chrono::steady_clock::time_point lastLook_{};
  // The stick in use is held open, so it stays the same stick while device indices shift as
  // other joysticks come and go.
  SDL_Joystick* stick_ = nullptr;
};
