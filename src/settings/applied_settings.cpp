#include "applied_settings.h"

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
  return s;
}
