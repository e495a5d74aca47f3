// The options form: owner of the settings for the whole run, and the dialog that edits them.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "option_store.h"

class QTableWidgetItem;

namespace Ui {
class TfrmVTOptions;
}

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

  // The servo limits and addresses follow the edited values; then the dialog closes with OK.
  void okClick();
  // Where the comPort drop-down looks for serial ports; /sys/class/tty unless changed.
  void SetTtyClassDir(std::string dir) { ttyClassDir_ = std::move(dir); }

 protected:
  // Refills optList from the option table, so values written meanwhile show.
  void showEvent(QShowEvent* event) override;

 private:
  void FillOptList();
  // The keys of the rows, top to bottom.
  std::vector<std::string> RowKeys() const;
  // The one-line description of the key in `row`, below the table.
  void ShowDescription(int row);
  // A typed value goes straight into its line of the option table.
  void optListItemChanged(QTableWidgetItem* item);

  OptionStore store_;
  std::unique_ptr<Ui::TfrmVTOptions> ui;
  std::string ttyClassDir_ = "/sys/class/tty";
};
