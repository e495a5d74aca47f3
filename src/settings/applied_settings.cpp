#include "applied_settings.h"

#include "board_settings.h"
#include "ini_file.h"
#include "move_to_point.h"

namespace {

// A length of the workspace in the settings' own unit; `fallback` when it is no number.
float Length(const OptionStore& store, const char* key, float fallback) {
  return ParseCoordinate(store.ReadOption(key)).value_or(fallback);
}

}  // namespace

AppliedSettings ReadAppliedSettings(const OptionStore& store) {
  AppliedSettings s;
  s.line.port = store.ReadOption("comPort");
  s.line.baudRate = store.ReadOption("baudRate");
  s.line.parityCheck = store.ReadOptionInt("parityCheck");
  s.line.stopBits = store.ReadOption("stopBits");
  s.line.dataBits = store.ReadOption("dataBits");
  s.servoIncr = store.ReadOptionInt("servoIncr");
  s.arm.H = store.ReadOptionInt("H");
  s.arm.L1 = store.ReadOptionInt("L1");
  s.arm.L2 = store.ReadOptionInt("L2");
  s.arm.L3 = store.ReadOptionInt("L3");
  s.servoComInterval = store.ReadOptionInt("servoComInterval");
  s.board = ReadBoardSetup(store);
  s.motion = ReadMotionConfig(store, s.line, s.servoComInterval);
  s.minToolY = Length(store, "minToolY", 0);
  s.jogStep = Length(store, "jogStep", 5);
  s.moveLine = store.ReadOptionInt("moveLine") == 1;
  return s;
}

MotionConfig ReadMotionConfig(const OptionStore& store, const ServoLineSettings& line,
                              uint16_t servoComInterval) {
  MotionConfig m;
  m.smooth = SameTextIgnoringCase(store.ReadOption("motion"), "smooth");
  for (int i = 1; i <= kServoCount; ++i) {
    const std::string prefix = "sv" + std::to_string(i);
    m.speed[i] = store.ReadOptionInt(prefix + "Speed");
    m.accel[i] = store.ReadOptionInt(prefix + "Accel");
  }
  if (servoComInterval > 0) m.tickMs = servoComInterval;
  m.framesPerTick =
      FramesPerTick(ServoLineFormat(line), m.tickMs, *MakeBoard(ReadBoardSetup(store).config));
  return m;
}

Workspace WorkspaceOf(const OptionStore& store) {
  const AppliedSettings applied = ReadAppliedSettings(store);
  return {applied.arm, store.tables, applied.minToolY};
}
