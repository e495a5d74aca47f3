// The options form: owner of the settings for the whole run, and the dialog that edits them.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "option_store.h"

class TfrmVTOptions : public QDialog {
  Q_OBJECT

 public:
  // Loads the settings file at `settingsPath` into the option table.
  explicit TfrmVTOptions(const std::string& settingsPath, QWidget* parent = nullptr);
  // Writes the option table back to the file; a failure goes to the error report.
  ~TfrmVTOptions() override;

  std::string ReadOption(const std::string& key) const { return store_.ReadOption(key); }
  uint16_t ReadOptionInt(const std::string& key) const { return store_.ReadOptionInt(key); }
  void WriteOption(const std::string& key, const std::string& value) {
    store_.WriteOption(key, value);
  }
  void LoadServoTables() { store_.LoadServoTables(); }

  const ServoTables& tables() const { return store_.tables; }
  OptionStore& store() { return store_; }

 private:
  OptionStore store_;
};
