#include "option_store.h"

#include <string>

#include "error_report.h"
#include "int_parse.h"
#include "settings_location.h"

OptionStore::OptionStore(std::string path) : path_(std::move(path)) {
  try {
    ini_ = IniFile::Load(path_);
  } catch (const ENotRegularFile& e) {
    // Goes on as without a file, and leaves the FIFO or device alone at the end.
    ReportError(e.what());
    writable_ = false;
  }
  for (const auto& key : ini_.SectionKeys(kOptionsSection)) {
    lines_.push_back({key, ini_.Read(kOptionsSection, key).value_or("")});
  }
  LoadServoTables();
}

size_t OptionStore::IndexOf(const std::string& key) const {
  size_t i = 0;
  while (i < lines_.size() && !SameTextIgnoringCase(lines_[i].key, key)) ++i;
  return i;
}

std::string OptionStore::ReadOption(const std::string& key) const {
  const size_t i = IndexOf(key);
  return i < lines_.size() ? lines_[i].value : std::string();
}

uint16_t OptionStore::ReadOptionInt(const std::string& key) const {
  const auto value = ParseInteger(ReadOption(key), IntSyntax::Settings);
  return value ? static_cast<uint16_t>(*value) : 0;
}

void OptionStore::WriteOption(const std::string& key, const std::string& value) {
  const size_t i = IndexOf(key);
  if (i < lines_.size()) {
    lines_[i].value = value;
  } else {
    lines_.push_back({key, value});
  }
}

void OptionStore::LoadServoTables() {
  for (int i = 1; i <= kServoCount; ++i) {
    const std::string prefix = "sv" + std::to_string(i);
    tables.Minval[i] = ReadOptionInt(prefix + "Minval");
    tables.Maxval[i] = ReadOptionInt(prefix + "Maxval");
    tables.Address[i] = ReadOptionInt(prefix + "Address");
  }
}

void OptionStore::WriteBack() const {
  if (lines_.empty() || !writable_) return;  // no file is created for nothing
  IniFile updated = ini_;
  for (const auto& line : lines_) updated.Write(kOptionsSection, line.key, line.value);
  updated.Save(path_);
}

std::string DefaultSettingsPath() {
  return LocateSettingsFile(PlacesOfThisProgram());
}
