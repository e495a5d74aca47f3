#include <gtest/gtest.h>

#include "applied_settings.h"
#include "temp_dir.h"

namespace {

TEST(MotionSettings, ModeLimitsTickAndBudgetComeFromTheSettings) {
  struct Case {
    const char* options;
    bool smooth;
    int32_t speed3, accel3;
    int tickMs;
    int framesPerTick;
  } const cases[] = {
      {"servoComInterval=0\n", false, 0, 0, kDefaultMotionTickMs, 4},  // no tick: 20 ms, 9600 8N1
      {"motion=Smooth\nsv3Speed=120\nsv3Accel=400\nservoComInterval=20\nbaudRate=9600\n", true, 120,
       400, 20, 4},
      {"motion=classic\nservoComInterval=50\n", false, 0, 0, 50, 6},
      {"motion=fast\nservoComInterval=0\n", false, 0, 0, kDefaultMotionTickMs, 4},
      {"motion=smooth\nbaudRate=4800\nservoComInterval=20\n", true, 0, 0, 20, 2},
      {"motion=smooth\nservoComInterval=20\ndataBits=7\nstopBits=1.5\n", true, 0, 0, 20, 5},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFile(dir.File("vantrel.ini"), std::string("[Options]\n") + c.options);
    const MotionConfig m = ReadAppliedSettings(OptionStore(dir.File("vantrel.ini"))).motion;
    EXPECT_EQ(m.smooth, c.smooth) << c.options;
    EXPECT_EQ(m.speed[3], c.speed3) << c.options;
    EXPECT_EQ(m.accel[3], c.accel3) << c.options;
    EXPECT_EQ(m.tickMs, c.tickMs) << c.options;
    EXPECT_EQ(m.framesPerTick, c.framesPerTick) << c.options;
  }
}

}  // namespace
