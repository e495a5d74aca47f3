#include "joystick_device.h"

#include <SDL.h>

JoystickDevice::JoystickDevice() {
  // SDL would otherwise take over SIGINT and SIGTERM, and Ctrl-C would no longer end us.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  ready_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
  // We read the state directly; joystick events would only fill SDL's queue.
  if (ready_) SDL_JoystickEventState(SDL_IGNORE);
}

JoystickDevice::~JoystickDevice() {
  if (!ready_) return;
  if (stick_) SDL_JoystickClose(stick_);
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

SDL_Joystick* JoystickDevice::Current() {
  // A stick that was pulled stays open in SDL, marked detached, until it is closed.
  if (stick_ && !SDL_JoystickGetAttached(stick_)) {
    SDL_JoystickClose(stick_);
    stick_ = nullptr;
  }
  if (!stick_ && SDL_NumJoysticks() > 0) stick_ = SDL_JoystickOpen(0);
  return stick_;
}

std::optional<JoystickReading> JoystickDevice::Read() {
  if (!ready_) return std::nullopt;
  // Fetches the new state and notices sticks that came or went. That costs SDL a few system
  // calls: without a stick, where it is read every tick only to look for one, it looks a few
  // times a second, and in between there is nothing new to ask it.
  const auto now = std::chrono::steady_clock::now();
  if (!stick_ && now - lastLook_ < kLookForSticksEvery) return std::nullopt;
  SDL_JoystickUpdate();
  lastLook_ = now;
  SDL_Joystick* const before = stick_;
  SDL_Joystick* stick = Current();
  if (stick && stick != before) SDL_JoystickUpdate();  // just opened: fetch its state
  if (!stick || SDL_JoystickNumAxes(stick) < 2) return std::nullopt;

  JoystickReading reading;
  reading.x = static_cast<uint16_t>(SDL_JoystickGetAxis(stick, 0) + 32768);
  reading.y = static_cast<uint16_t>(SDL_JoystickGetAxis(stick, 1) + 32768);
  const int buttons = SDL_JoystickNumButtons(stick);
  for (int b = 0; b < 3 && b < buttons; ++b) {
    if (SDL_JoystickGetButton(stick, b)) reading.buttons |= static_cast<uint16_t>(1u << b);
  }
  return reading;
}
