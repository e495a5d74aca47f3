#include "options_form.h"

#include "error_report.h"

TfrmVTOptions::TfrmVTOptions(const std::string& settingsPath, QWidget* parent)
    : QDialog(parent), store_(settingsPath) {}

TfrmVTOptions::~TfrmVTOptions() {
  try {
    store_.WriteBack();
  } catch (const std::exception& e) {
    ReportError(e.what());
  }
}
