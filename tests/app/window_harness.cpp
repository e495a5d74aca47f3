#include "window_harness.h"

#include "arm_settings.h"
#include "dialog_seam.h"
#include "ui_main_window.h"

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
  WriteFile(settingsPath(), ArmSettingsText(pty.slavePath(), changes));
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

TfrmVantrel& StartIdle(WindowHarness& h, std::map<std::string, std::string> changes) {
  changes.emplace("servoComInterval", "0");
  return h.Start(changes);
}

void SetPoint(TfrmVantrel& w, const char* x, const char* y, const char* z) {
  w.ui->Xcoord->setText(x);
  w.ui->Ycoord->setText(y);
  w.ui->Zcoord->setText(z);
}
