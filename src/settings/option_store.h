// The program's settings: the key=value lines of the "Options" section of vantrel.ini held in
// memory for the whole run, with typed reads and the per-servo tables.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ini_file.h"
#include "servo_state.h"

inline constexpr const char* kOptionsSection = "Options";
inline constexpr const char* kSettingsFileName = "vantrel.ini";

class OptionStore {
 public:
  struct Line {
    std::string key;
    std::string value;
  };

  // Reads the section into the table and fills the servo tables. A missing file is empty; so
  // is a path that is no regular file, which is reported and never written back.
  explicit OptionStore(std::string path);

  const std::string& path() const { return path_; }

  // First line whose key matches without regard to case; empty when none.
  std::string ReadOption(const std::string& key) const;
  // ReadOption parsed as an integer, kept to its low 16 bits; 0 when it does not parse.
  uint16_t ReadOptionInt(const std::string& key) const;
  // Replaces the first matching line's value, or appends key=value.
  void WriteOption(const std::string& key, const std::string& value);
  void LoadServoTables();

  // Writes every line of the table into the file (all or nothing); nothing when the table is
  // empty or the path is no regular file.
  void WriteBack() const;

  const std::vector<Line>& lines() const { return lines_; }
  // Changes the value of line `row`; keys are fixed.
  void SetValue(size_t row, const std::string& value) { lines_.at(row).value = value; }

  ServoTables tables;

 private:
  // Index of the first line whose key matches without regard to case, or lines_.size().
  size_t IndexOf(const std::string& key) const;

  std::string path_;
  IniFile ini_;
  bool writable_ = true;
  std::vector<Line> lines_;
};

// The settings file when none is named: beside the program or the user's own (settings_location.h).
std::string DefaultSettingsPath();
