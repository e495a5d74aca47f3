#include <gtest/gtest.h>

#include <signal.h>
#include <thread>

#include "joystick_device.h"
#include "virtual_stick.h"

namespace {

// Ctrl-C and SIGTERM still end the program once the joystick is open.
TEST(JoystickDevice, LeavesTheSignalsAlone) {
  struct sigaction before[2]{};
  const int signals[2] = {SIGINT, SIGTERM};
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;  // SDL would take over only a signal nobody handles
  for (int i = 0; i < 2; ++i) ASSERT_EQ(::sigaction(signals[i], &plain, &before[i]), 0);
  {
    JoystickDevice device;
    for (const int signal : signals) {
      struct sigaction now {};
      ASSERT_EQ(::sigaction(signal, nullptr, &now), 0);
      EXPECT_EQ(now.sa_handler, SIG_DFL) << signal;
    }
  }
  for (int i = 0; i < 2; ++i) ::sigaction(signals[i], &before[i], nullptr);
}

TEST(JoystickDevice, ReadsTheStickAsZeroTo65535AndButtonBits) {
  SKIP_WITH_REAL_JOYSTICK();
  VirtualStick stick;
  JoystickDevice device;
  ASSERT_TRUE(device.ready());

  auto reading = device.Read();
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->x, 32768);
  EXPECT_EQ(reading->y, 32768);
  EXPECT_EQ(reading->buttons, 0);

  stick.Set(0, 65535, 1);
  reading = device.Read();
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->x, 0);
  EXPECT_EQ(reading->y, 65535);
  EXPECT_EQ(reading->buttons, 1);

  stick.Set(65535, 0, 2 | 4 | 8);
  reading = device.Read();
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->x, 65535);
  EXPECT_EQ(reading->y, 0);
  EXPECT_EQ(reading->buttons, 6);  // only the first three buttons are read
}

TEST(JoystickDevice, NoStickNoReadingAndAStickPluggedInLaterIsPickedUp) {
  SKIP_WITH_REAL_JOYSTICK();
  VirtualStick stick(false);
  JoystickDevice device;
  EXPECT_FALSE(device.Read());

  // Plugged in, it is noticed when SDL is next asked to look, not at every read.
  stick.Attach();
  stick.Set(100, 200, 4);
  EXPECT_FALSE(device.Read());
  std::this_thread::sleep_for(JoystickDevice::kLookForSticksEvery);
  auto reading = device.Read();
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->x, 100);
  EXPECT_EQ(reading->y, 200);
  EXPECT_EQ(reading->buttons, 4);
  ASSERT_TRUE(device.Read());  // read again: the same stick, opened once

  // Pulled out: no reading, and certainly not the last one again; the stick is let go.
  const SDL_JoystickID pulled = stick.InstanceId();
  stick.Detach();
  EXPECT_FALSE(device.Read());
  EXPECT_FALSE(device.Read());
  EXPECT_EQ(SDL_JoystickFromInstanceID(pulled), nullptr);

  stick.Attach();
  stick.Set(5, 6);
  std::this_thread::sleep_for(JoystickDevice::kLookForSticksEvery);
  reading = device.Read();
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->x, 5);
  EXPECT_EQ(reading->buttons, 0);
}

TEST(JoystickDevice, AStickWithOneAxisGivesNoReading) {
  SKIP_WITH_REAL_JOYSTICK();
  VirtualStick stick(true, 1);
  stick.Set(0, 0, 1);
  JoystickDevice device;
  EXPECT_FALSE(device.Read());
}

TEST(JoystickDevice, StaysWithItsStickUntilItIsPulled) {
  SKIP_WITH_REAL_JOYSTICK();
  VirtualStick first;
  JoystickDevice device;
  first.Set(1000, 1000);
  ASSERT_TRUE(device.Read());

  VirtualStick second;
  second.Set(60000, 60000);
  first.Set(1111, 2222);
  auto reading = device.Read();
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->x, 1111);

  // Once the first goes, joystick 0 is the one left.
  first.Detach();
  reading = device.Read();
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->x, 60000);
}

}  // namespace
