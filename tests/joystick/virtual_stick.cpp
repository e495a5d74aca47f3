#include "virtual_stick.h"

#include <SDL.h>

#include <stdexcept>
#include <string>

namespace {

void InitJoysticks() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
    throw std::runtime_error(std::string("SDL joystick: ") + SDL_GetError());
  }
}

}  // namespace

VirtualStick::VirtualStick(bool attach, int axes) : axes_(axes) {
  InitJoysticks();
  if (attach) Attach();
}

VirtualStick::~VirtualStick() {
  Detach();
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool VirtualStick::OtherJoystickPresent() {
  InitJoysticks();
  SDL_JoystickUpdate();
  bool other = false;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) other = other || !SDL_JoystickIsVirtual(i);
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  return other;
}

void VirtualStick::Attach() {
  if (stick_) return;
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_FLIGHT_STICK, axes_, 4, 0);
  if (index < 0) throw std::runtime_error(std::string("virtual joystick: ") + SDL_GetError());
  stick_ = SDL_JoystickOpen(index);
  if (!stick_) throw std::runtime_error(std::string("virtual joystick: ") + SDL_GetError());
  id_ = SDL_JoystickInstanceID(stick_);
}

void VirtualStick::Detach() {
  if (!stick_) return;
  SDL_JoystickClose(stick_);
  stick_ = nullptr;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id_) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
  }
  id_ = -1;
}

void VirtualStick::Set(uint16_t x, uint16_t y, uint16_t buttons) {
  if (axes_ > 0) SDL_JoystickSetVirtualAxis(stick_, 0, static_cast<Sint16>(int{x} - 32768));
  if (axes_ > 1) SDL_JoystickSetVirtualAxis(stick_, 1, static_cast<Sint16>(int{y} - 32768));
  for (int b = 0; b < 4; ++b) SDL_JoystickSetVirtualButton(stick_, b, (buttons >> b) & 1);
}
