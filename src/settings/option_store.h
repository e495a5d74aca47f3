// The program's settings: the key=value lines of the "Options" section of vantrel.ini held in
// memory for the whole run, with typed reads and the per-servo tables. Keys of the settings
// table (settings_keys.h) that the file lacks read as their built-in value, and numbers outside
// a key's range as the nearest one allowed; the file keeps what it had unless a value changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ini_file.h"
#include "servo_state.h"

inline constexpr const char* kOptionsSection = "Options";
inline constexpr const char* kSettingsFileName = "vantrel.ini";

// What the store has to say about its file after loading it: a message and a detail.
struct SettingsNotice {
  std::string message;
  std::string detail;
};

class OptionStore {
 public:
  struct Line {
    std::string key;
    std::string value;
  };
  enum class Problems {
    Report,  // the store reports them itself (ReportError) and goes on
    Keep,    // the caller looks at readFailure() and notice()
  };

  // Reads the section into the table and fills the servo tables. A missing file is empty. A
  // file that cannot be read (no regular file, no permission) leaves the table empty, so every
  // key takes its built-in value, and is never written back.
  explicit OptionStore(std::string path, Problems problems = Problems::Report);

  const std::string& path() const { return path_; }

  // First line whose key matches without regard to case; else the key's built-in value, or
  // empty for a key the program does not know.
  std::string ReadOption(const std::string& key) const;
  // ReadOptionNumber kept to its low 16 bits.
  uint16_t ReadOptionInt(const std::string& key) const;
  // A number key of the table: its value within the key's range (the nearest allowed one when
  // outside), the built-in value when missing or not a number. Other keys: the value parsed,
  // 0 when it does not parse.
  int64_t ReadOptionNumber(const std::string& key) const;
  // The value the program goes by, as the options dialog shows it: a number key's number.
  std::string ValueInUse(const std::string& key) const;
  // True when the table holds a line for the key (from the file or written since).
  bool Holds(const std::string& key) const { return IndexOf(key) < lines_.size(); }
  // Replaces the first matching line's value, or appends key=value.
  void WriteOption(const std::string& key, const std::string& value);
  void LoadServoTables();

  // Writes every line of the table into the file (all or nothing); nothing when that changes
  // nothing, the table is empty or the file could not be read. On failure throws EDetailedError
  // "Unable to write to <path>" with the system's reason as its detail.
  void WriteBack() const;

  const std::vector<Line>& lines() const { return lines_; }
  // Changes the value of line `row`; keys are fixed.
  void SetValue(size_t row, const std::string& value) { lines_.at(row).value = value; }

  // Why the file could not be read: "Unable to read settings from <path>: <reason>"; empty
  // when it was read or is missing.
  const std::string& readFailure() const { return readFailure_; }
  // The keys the file lacks and the values it holds out of range, as one warning; nothing when
  // the file is complete, missing or unreadable.
  const std::optional<SettingsNotice>& notice() const { return notice_; }

  ServoTables tables;

 private:
  // Index of the first line whose key matches without regard to case, or lines_.size().
  size_t IndexOf(const std::string& key) const;
  std::optional<SettingsNotice> CheckKeys() const;

  std::string path_;
  IniFile ini_;
  bool writable_ = true;
  std::vector<Line> lines_;
  std::string readFailure_;
  std::optional<SettingsNotice> notice_;
};

// The settings file when none is named: beside the program or the user's own (settings_location.h).
std::string DefaultSettingsPath();
