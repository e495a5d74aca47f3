#include "window_harness.h"

#include "dialog_seam.h"

WindowHarness::WindowHarness() {
  UiSeam::Instance().showError = [this](QWidget*, const QString& text, const QString& detail) {
    errors << text;
    details << detail;
  };
  UiSeam::Instance().question = [this](QWidget*, const QString& text) {
    questions << text;
    return answer;
  };
}

WindowHarness::~WindowHarness() {
  window.reset();
  UiSeam::Instance().Reset();
}

void WindowHarness::WriteSettings(const std::map<std::string, std::string>& changes) {
  std::map<std::string, std::string> values = {
      {"comPort", pty.slavePath()},
      {"baudRate", "9600"},
      {"parityCheck", "0"},
      {"stopBits", "1"},
      {"dataBits", "8"},
      {"servoIncr", "2"},
      {"servoComInterval", "50"},
      {"H", "5"},
      {"L1", "10"},
      {"L2", "10"},
      {"L3", "5"},
      {"joyMaxX", "65535"},
      {"joyMaxY", "65535"},
      {"joyCentXMin", "30000"},
      {"joyCentXMax", "35000"},
      {"joyCentYMin", "30000"},
      {"joyCentYMax", "35000"},
  };
  for (int i = 1; i <= 6; ++i) {
    const std::string sv = "sv" + std::to_string(i);
    values[sv + "Minval"] = "0";
    values[sv + "Maxval"] = "254";
    values[sv + "Address"] = std::to_string(i);
  }
  for (const auto& [key, value] : changes) values[key] = value;
  std::string text = "[Options]\n";
  for (const auto& [key, value] : values) text += key + "=" + value + "\n";
  WriteFile(settingsPath(), text);
}

TfrmVantrel& WindowHarness::Start(const std::map<std::string, std::string>& changes) {
  WriteSettings(changes);
  window = std::make_unique<TfrmVantrel>(settingsPath());
  ownClock = window->clock;
  window->clock = &clock;
  return *window;
}

void WindowHarness::Stop() {
  window.reset();
}

ByteString Frame(int address, int position) {
  return EncodeServoFrame(static_cast<uint8_t>(address), static_cast<uint8_t>(position));
}
