// SDL's virtual joystick as the test stick: two axes (or as many as asked) and four buttons,
// set in the reading's own terms (0..65535 and the button bits).
#pragma once

#include <SDL_joystick.h>

#include <cstdint>

class VirtualStick {
 public:
  // Starts SDL's joystick subsystem; the stick is attached unless `attach` is false.
  explicit VirtualStick(bool attach = true, int axes = 2);
  ~VirtualStick();
  VirtualStick(const VirtualStick&) = delete;
  VirtualStick& operator=(const VirtualStick&) = delete;

  // True when a joystick other than ours is present: tests that count on ours being joystick
  // 0, or on there being none, cannot run then.
  static bool OtherJoystickPresent();

  void Attach();
  void Detach();
  void Set(uint16_t x, uint16_t y, uint16_t buttons = 0);
  SDL_JoystickID InstanceId() const { return id_; }

 private:
  int axes_;
  SDL_Joystick* stick_ = nullptr;
  SDL_JoystickID id_ = -1;
};

#define SKIP_WITH_REAL_JOYSTICK()                                                \
  if (VirtualStick::OtherJoystickPresent()) {                                    \
    GTEST_SKIP() << "a real joystick is connected; these tests need joystick 0 " \
                    "to be SDL's virtual one";                                   \
  }
