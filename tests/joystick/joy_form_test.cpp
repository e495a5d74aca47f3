#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include <QLabel>
#include <QTest>

#include "errors.h"
#include "joy_form.h"
#include "joystick_device.h"
#include "temp_dir.h"
#include "virtual_stick.h"

namespace {

const char* const kCentredStick =
    "joyMaxX=65535\njoyMaxY=65535\njoyCentXMin=30000\njoyCentXMax=35000\n"
    "joyCentYMin=30000\njoyCentYMax=35000\n";

struct JoyPoll : ::testing::Test {
  void SetUp() override { SKIP_WITH_REAL_JOYSTICK(); }

  OptionStore& Store(const std::string& options) {
    WriteFile(dir.File("vantrel.ini"), "[Options]\n" + options);
    store = std::make_unique<OptionStore>(dir.File("vantrel.ini"));
    return *store;
  }
  // The main window's callback: the mapping onto the servo state.
  void ListenAsMainWindow(TfrmJoy& joy) {
    joy.onJoystick = [this](uint16_t buttons, double axisX, double axisY) {
      ++calls;
      JoystickToDirections(state, buttons, axisX, axisY);
    };
    joy.onNoJoystick = [this] {
      ++lost;
      StopJogging(state);
    };
  }
  static QString Label(TfrmJoy& joy) { return joy.findChild<QLabel*>("lblPos")->text(); }

  TempDir dir;
  std::unique_ptr<OptionStore> store;
  ServoState state;
  int lost = 0;
  int calls = 0;
};

TEST_F(JoyPoll, ShowsThePositionAndDrivesTheDirections) {
  VirtualStick stick;
  TfrmJoy joy;
  ListenAsMainWindow(joy);
  joy.LoadJoystickCalibration(Store(kCentredStick));

  stick.Set(0, 65535);
  const auto reading = joy.PollJoystick();
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->x, 0);
  EXPECT_EQ(Label(joy), "Position : [    0,65535]");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(state.direction[1], -1);
  EXPECT_EQ(state.direction[2], -1);

  stick.Set(32000, 32000, kJoyButton1 | kJoyButton2);
  joy.PollJoystick();
  EXPECT_EQ(Label(joy), "Position : [32000,32000]");
  EXPECT_EQ(state.direction[1], 0);
  EXPECT_EQ(state.direction[2], 0);
  EXPECT_EQ(state.direction[3], -1);

  // Held down, the third button switches the group on every poll.
  stick.Set(65535, 0, kJoyButton3);
  for (int poll = 1; poll <= 3; ++poll) {
    joy.PollJoystick();
    EXPECT_EQ(state.jogGroup, poll % 2 ? 3 : 0);
  }
  EXPECT_EQ(state.direction[4], 1);
  EXPECT_EQ(state.direction[5], 1);
  EXPECT_EQ(calls, 5);
}

TEST_F(JoyPoll, CallbackWaitsForTheCalibration) {
  VirtualStick stick;
  TfrmJoy joy;
  ListenAsMainWindow(joy);
  // Until the settings are read, the form holds the small calibration it starts with.
  EXPECT_FALSE(joy.callbackEnabled);
  const JoyCalibration& c = joy.calibration;
  EXPECT_EQ(std::tuple(c.joyCentXMin, c.joyCentXMax, c.joyMaxX), std::tuple(1, 2, 3));
  EXPECT_EQ(std::tuple(c.joyCentYMin, c.joyCentYMax, c.joyMaxY), std::tuple(1, 2, 3));
  stick.Set(65535, 0);
  EXPECT_TRUE(joy.PollJoystick());
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(Label(joy), "Position : [65535,    0]");

  joy.LoadJoystickCalibration(Store(kCentredStick));
  EXPECT_TRUE(joy.callbackEnabled);
  joy.onJoystick = nullptr;
  EXPECT_TRUE(joy.PollJoystick());  // no listener, nothing to call
}

TEST_F(JoyPoll, LoadsTheSixKeysIntoTheirFields) {
  TfrmJoy joy;
  joy.LoadJoystickCalibration(Store(
      "joyCentYMax=6\njoyCentYMin=5\njoyCentXMax=4\njoyCentXMin=3\njoyMaxY=2\njoyMaxX=$10\n"));
  EXPECT_EQ(joy.calibration.joyMaxX, 16);
  EXPECT_EQ(joy.calibration.joyMaxY, 2);
  EXPECT_EQ(joy.calibration.joyCentXMin, 3);
  EXPECT_EQ(joy.calibration.joyCentXMax, 4);
  EXPECT_EQ(joy.calibration.joyCentYMin, 5);
  EXPECT_EQ(joy.calibration.joyCentYMax, 6);
}

TEST_F(JoyPoll, NoJoystickNoCallbackAndEveryDirectionStops) {
  VirtualStick stick(false);
  TfrmJoy joy;
  ListenAsMainWindow(joy);
  joy.LoadJoystickCalibration(Store(kCentredStick));
  state.direction[1] = 1;

  EXPECT_FALSE(joy.PollJoystick());
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(state.direction[1], 0);
  EXPECT_EQ(Label(joy), "Position : no joystick connected");

  // Pulled out while deflected: the servos it drove, and those of the other group, stop.
  stick.Attach();
  std::this_thread::sleep_for(JoystickDevice::kLookForSticksEvery);
  stick.Set(65535, 0, 1);
  state.direction[5] = -1;
  EXPECT_TRUE(joy.PollJoystick());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(state.direction[1], 1);
  EXPECT_EQ(state.direction[2], 1);
  EXPECT_EQ(state.direction[3], -1);
  stick.Detach();
  EXPECT_FALSE(joy.PollJoystick());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(lost, 2);
  for (int i = 1; i <= kServoCount; ++i) EXPECT_EQ(state.direction[i], 0) << "servo " << i;
  EXPECT_EQ(Label(joy), "Position : no joystick connected");

  // Plugged in again, it is picked up as before.
  stick.Attach();
  std::this_thread::sleep_for(JoystickDevice::kLookForSticksEvery);
  stick.Set(0, 32000);
  EXPECT_TRUE(joy.PollJoystick());
  EXPECT_EQ(state.direction[1], -1);
}

TEST_F(JoyPoll, ZeroDivisorIsReportedOnceUntilTheCalibrationIsLoadedAgain) {
  VirtualStick stick;
  TfrmJoy joy;
  ListenAsMainWindow(joy);
  // A calibration of all zeros.
  OptionStore& bare =
      Store("joyMaxX=0\njoyMaxY=0\njoyCentXMin=0\njoyCentXMax=0\njoyCentYMin=0\njoyCentYMax=0\n");
  joy.LoadJoystickCalibration(bare);
  stick.Set(40000, 32768);
  try {
    joy.PollJoystick();
    FAIL() << "no error";
  } catch (const EMathError& e) {
    EXPECT_STREQ(e.what(), "Floating point division by zero");
  }
  EXPECT_FALSE(joy.callbackEnabled);
  // The tick goes on polling: no further error, no call, the label still follows the stick.
  stick.Set(41000, 32768);
  EXPECT_NO_THROW(joy.PollJoystick());
  EXPECT_NO_THROW(joy.PollJoystick());
  EXPECT_EQ(Label(joy), "Position : [41000,32768]");
  EXPECT_EQ(calls, 0);

  joy.LoadJoystickCalibration(bare);
  EXPECT_THROW(joy.PollJoystick(), EMathError);
  joy.LoadJoystickCalibration(Store(kCentredStick));
  EXPECT_NO_THROW(joy.PollJoystick());
  EXPECT_EQ(calls, 1);
}

TEST_F(JoyPoll, PollTimerRunsEvery100msWhileSwitchedOn) {
  VirtualStick stick;
  TfrmJoy joy;
  ListenAsMainWindow(joy);
  joy.LoadJoystickCalibration(Store(kCentredStick));
  EXPECT_FALSE(joy.Timer1.isActive());
  EXPECT_EQ(joy.Timer1.interval(), 100);

  joy.SetPolling(true);
  EXPECT_TRUE(joy.Timer1.isActive());
  EXPECT_TRUE(QTest::qWaitFor([&] { return calls >= 2; }, 10000));
  joy.SetPolling(false);
  EXPECT_FALSE(joy.Timer1.isActive());
  const int seen = calls;
  QTest::qWait(300);
  EXPECT_EQ(calls, seen);
}

}  // namespace
